// SPDX-License-Identifier: GPL-3.0-or-later
// A scan's good points for the computations over a run: flag above 0 and,
// for absorbance scans, a reading at most the ceiling and not a row the
// instrument could not measure; by rising radius, ties in file order.
#pragma once

#include "runs/Run.h"

#include <cstdint>
#include <optional>
#include <vector>

struct RadialPoint {
    double x; // cm
    double c; // the reading
};

// Why a point is, or is not, one of its scan's good points.
enum class PointStanding : uint8_t {
    Good,
    Removed, // flag at most 0
    // An absorbance row written with deviation 0 among rows that carry one:
    // the instrument could not measure it (1.0, or 4.0 when saturated).
    PlaceHolder,
    AboveCeiling, // an absorbance reading above the ceiling
};

// The flag getdata gives a point read without a deviation, or with one of 0.
constexpr float UnweightedFlag = 100.0f;

// The standing of each point of `scan`, in file order.
std::vector<PointStanding> PointStandings(const Scan &scan, double ceiling);

std::vector<RadialPoint> GoodPoints(const Scan &scan, double ceiling);

// A range end typed or computed in decimal, compared as the radii are held:
// rounded to single precision first, so that 6.1 keeps the point read as
// 6.1000.
inline double RadiusBound(double bound)
{
    return double(float(bound));
}

// A radius held in single precision as the file wrote it: the shortest
// decimal that reads back as the same float (6.1 for the float of 6.1000).
double DecimalRadius(double x);

// `x` moved by `by` in decimal, as a bound: 5.9000 + 0.05 is the float of
// 5.95, so the point written 5.9500 lies on it.
inline double RadiusBoundFrom(double x, double by)
{
    return RadiusBound(DecimalRadius(x) + by);
}

// The reading of `points` (by rising radius) at x, linear between the two
// points around it; at an equal radius, that point's reading. Nothing when x
// lies outside them.
std::optional<double> ReadingAt(const std::vector<RadialPoint> &points, double x);
