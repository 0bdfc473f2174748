// SPDX-License-Identifier: GPL-3.0-or-later
// A scan's good points for the computations over a run: flag above 0 and,
// for absorbance scans, a reading at most the ceiling; by rising radius,
// ties in file order.
#pragma once

#include "runs/Run.h"

#include <optional>
#include <vector>

struct RadialPoint {
    double x; // cm
    double c; // the reading
};

std::vector<RadialPoint> GoodPoints(const Scan &scan, double ceiling);

// The reading of `points` (by rising radius) at x, linear between the two
// points around it; at an equal radius, that point's reading. Nothing when x
// lies outside them.
std::optional<double> ReadingAt(const std::vector<RadialPoint> &points, double x);
