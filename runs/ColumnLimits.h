// SPDX-License-Identifier: GPL-3.0-or-later
// The solution columns of a run's settings: found from their scans, or set
// by hand for a setting, which then replaces what was found.
#pragma once

#include "runs/RunGroups.h"
#include "runs/SolutionColumn.h"

#include <optional>
#include <vector>

// A setting's column set by hand, with the setting it belongs to. The
// wavelength band matches a group whose band it overlaps; the experiment is
// not kept, so one file serves every copy of a run.
struct ColumnLimits {
    int cell = 0;
    int column = 0; // the split sample column; 0 for whole scans
    char type = 'R';
    double lowestWavelength = 0.0; // nm
    double highestWavelength = 0.0;
    int speed = 0; // rpm
    SolutionColumn values;

    bool matches(const ScanGroup &group) const;
    // Whether both are for the same setting, whatever their values.
    bool sameSetting(const ColumnLimits &other) const
    {
        return cell == other.cell && column == other.column && type == other.type
            && lowestWavelength == other.lowestWavelength
            && highestWavelength == other.highestWavelength && speed == other.speed;
    }
};

// The ColumnLimits of a group, with `values`.
ColumnLimits LimitsOf(const ScanGroup &group, const SolutionColumn &values);

// The column of each group as found from its scans (medians of the scans'
// estimates; a sample column split from whole scans has the column found
// before the split). An end no scan of a group tells is taken from the
// groups of the same cell, type and speed at other wavelengths: the cell
// is the same whatever the light.
// A group without a column may still show its meniscus (a sample that
// saturates before its base at every wavelength): `menisci`, when given,
// gets it, so that the computations can start past the meniscus spikes.
std::vector<std::optional<SolutionColumn>> FindColumns(
    const Run &run, const RunGroups &groups, std::vector<std::optional<double>> *menisci = nullptr);
