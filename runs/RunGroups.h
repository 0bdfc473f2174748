// SPDX-License-Identifier: GPL-3.0-or-later
// The groups of a run: the scans of one setting of one experiment. Same
// experiment (the folder that holds the scan file, or its folder inside an
// archive: an instrument writes one experiment to one folder), cell, type
// letter and speed, and wavelengths that chain within 3 nm (sorted by
// wavelength, a gap of more than 3 nm starts a new group); within a group,
// scans by elapsed time. A scan without a header belongs to no group. The
// sample columns split from a cell's scans are settings of their own,
// column by column.
#pragma once

#include "runs/Run.h"

#include <QString>

#include <vector>

constexpr double WavelengthChain = 3.0; // nm

// The folder a run's scans were found in, as one experiment.
struct Experiment {
    QString folder; // as found: "run/2026-03-09", "run.tar.gz/A" (empty: the current folder)
    QString name; // its last part, as the window shows it: "2026-03-09", "A"
};

struct ScanGroup {
    int number = 0; // 1-based, in the order of experiment, cell, type, speed, wavelength
    int experiment = 0; // index into RunGroups::experiments
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
    std::vector<Experiment> experiments; // in the order their first scans were found
    std::vector<ScanGroup> groups;
    std::vector<int> groupOf; // per scan: the index into groups, or -1
};

RunGroups GroupScans(const std::vector<Scan> &scans);

// The experiment of a scan: the folder part of its path as found.
QString ExperimentFolder(const Scan &scan);

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
