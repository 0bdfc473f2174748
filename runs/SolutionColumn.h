// SPDX-License-Identifier: GPL-3.0-or-later
// The solution column: where a scan holds sample. From the inner end out a
// radial scan crosses air, the meniscus artifacts (in absorbance the
// reference sector's spike, then the sample's), the solution and the
// cell's base. The meniscus is where the solution begins, the outer edge of
// the sample's artifact; the bottom is where the base's artifact begins.
// Every computation over a setting's scans uses the fit limits inside them.
//
// A scan's estimate: the points are cut into stretches that carry on
// smoothly (each point close to the line through its neighbours, allowing
// for the profile's own slope); an artifact, a saturated or a wild reading
// breaks a stretch. The solution is a stretch at least MinSolutionWidth wide
// that follows a break (air at the start of a scan follows none), is not
// saturated and not air-like (as level and as flat as the air a scan starts
// with). It starts at the meniscus and ends at the bottom; a stretch that
// runs off the end of the scan tells no bottom, and one that runs into
// saturation from high readings may end where a concentrated sample
// saturates rather than at the base.
#pragma once

#include "runs/Run.h"

#include <optional>
#include <vector>

// Absorbance readings at or above it are saturated: no sample is read there.
constexpr double SaturatedAbsorbance = 3.5;
constexpr double MeniscusMargin = 0.02; // inner limit = meniscus + this (cm)
constexpr double BottomMargin = 0.03; // outer limit = bottom - this (cm)
constexpr double MinSolutionWidth = 0.08; // narrower stretches are gaps between artifacts (cm)

struct SolutionColumn {
    double meniscus = 0.0; // cm
    double bottom = 0.0;
    double inner = 0.0; // the fit limits
    double outer = 0.0;
    bool byHand = false; // set by the user, not found

    friend bool operator==(const SolutionColumn &, const SolutionColumn &) = default;
};

// A radius of a column as it is kept and written: to 1e-5 cm, past the
// files' own digits and the medians of two of them.
double ColumnRadius(double x);

// The column with the default fit limits.
SolutionColumn ColumnBetween(double meniscus, double bottom);

// One sample column as one scan shows it. The meniscus is always told; the
// bottom not when the column saturates before it or the scan ends first.
struct ColumnEstimate {
    double meniscus = 0.0;
    std::optional<double> bottom;
    double reach = 0.0; // the last radius of its stretch
    // It ends rising into saturation: the end may be the base or where the
    // sample saturates, which the one scan cannot tell.
    bool saturating = false;
};

// The sample columns of points given as x, reading and flag triples (as
// getdata stores them; any values), by rising radius. `absorbance` tells
// saturation and the instrument's place-holder rows apart.
std::vector<ColumnEstimate> EstimateColumns(const float *points, int count, bool absorbance);
std::vector<ColumnEstimate> EstimateColumns(const Scan &scan);

// The widest of a scan's columns, for a setting of one column.
std::optional<ColumnEstimate> EstimateColumn(const Scan &scan);

// The median of each end over the scans' estimates; an end no scan tells
// stays unknown. Ends rising into saturation are kept apart.
struct ColumnEnds {
    std::optional<double> meniscus;
    std::optional<double> bottom;
    std::optional<double> saturatingBottom; // of the estimates that end saturating
};
ColumnEnds CombineEstimates(const std::vector<ColumnEstimate> &estimates);

// A column from its ends, when both are known and far enough apart.
std::optional<SolutionColumn> ColumnOf(const ColumnEnds &ends);
