// SPDX-License-Identifier: GPL-3.0-or-later
// The settings of the computations over a run.
#pragma once

#include "runs/ColumnLimits.h"

#include <optional>
#include <vector>

// The range, ceiling and trim of the computations, and the constants of the
// mass; the defaults unless the user sets them.
struct RunOptions {
    std::optional<double> from; // cm
    std::optional<double> to; // cm
    double trim = 0.05; // cm at each end of the overlap
    double ceiling = 1.5; // absorbance readings above it are left out
    double vbar = 0.73; // mL/g
    double density = 1.0; // g/mL
    // vbar and density were given (on the command line); otherwise a run
    // window takes the pair remembered in the settings file.
    bool buoyancyGiven = false;
    // Solution columns set by hand, in place of the ones found.
    std::vector<ColumnLimits> limits;
};
