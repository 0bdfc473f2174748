// SPDX-License-Identifier: GPL-3.0-or-later
// What a fitting program is given of a run: the last scan of every setting
// that has reached equilibrium, cut to its solution column, each named so
// that its cell, speed and wavelength read from the name
// ("cell1_16000rpm_280nm.RA1"; a split column "cell1-c2_...").
#pragma once

#include "runs/RunAnalysis.h"

#include <QString>

#include <vector>

// The name a setting's scan is saved under; `repeat` > 1 for a second
// setting that would get the same name (another experiment of the run),
// which gets "_2" before the extension.
QString EquilibriumName(const Scan &scan, const ScanGroup &group, int repeat = 1);

struct EquilibriumScans {
    // Copies of the scans, cut to their columns' fit limits as a range
    // would be (an end the options set replaces the limit's), and named; in
    // the order of the settings.
    std::vector<Scan> scans;
    std::vector<int> groups; // the setting of each
    std::vector<int> sources; // the scan of the run each was copied from
    std::vector<int> notReached; // the settings that have not reached equilibrium
    std::vector<int> noColumn; // of those saved, the settings without a column
};
EquilibriumScans EquilibriumScansOf(const Run &run, const RunAnalysis &analysis);
