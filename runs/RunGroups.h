// SPDX-License-Identifier: GPL-3.0-or-later
// The groups of a run: the scans of one setting. Same cell, type letter and
// speed, and wavelengths that chain within 3 nm (sorted by wavelength, a gap
// of more than 3 nm starts a new group); within a group, scans by elapsed
// time. A scan without a header belongs to no group. The sample columns
// split from a cell's scans are settings of their own, column by column.
#pragma once

#include "runs/Run.h"

#include <QString>

#include <vector>

constexpr double WavelengthChain = 3.0; // nm

struct ScanGroup {
    int number = 0; // 1-based, in the order of cell, type, speed, wavelength
    char type = 0;
    int cell = 0;
    int column = 0; // the sample column split from the cell's scans; 0 for whole scans
    int speed = 0;
    double lowestWavelength = 0.0;
    double highestWavelength = 0.0;
    std::vector<int> scans; // indices into Run::scans, by elapsed time (ties in run order)

    int last() const { return scans.back(); } // the reference of the group's checks
};

struct RunGroups {
    std::vector<ScanGroup> groups;
    std::vector<int> groupOf; // per scan: the index into groups, or -1
};

RunGroups GroupScans(const std::vector<Scan> &scans);

// Wavelengths that chain within 3 nm, as [lowest, highest] bands in rising
// order.
struct WavelengthBand {
    double lowest = 0.0;
    double highest = 0.0;
    bool contains(double nm) const { return nm >= lowest && nm <= highest; }
};
std::vector<WavelengthBand> ChainWavelengths(std::vector<double> wavelengths);

// "280 nm" or "280-281 nm".
QString BandText(const WavelengthBand &band);
