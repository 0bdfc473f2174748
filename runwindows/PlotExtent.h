// SPDX-License-Identifier: GPL-3.0-or-later
// What the run's plots fit their axes to, without widgets: the extent of
// the points, and the extent of the readings within a radius window that
// a few narrow wild points (the meniscus spikes, a septum's odd reading)
// do not set, while the steep top of a gradient stays inside.
#pragma once

#include <QPointF>

#include <optional>
#include <vector>

struct ValueRange {
    double from = 0.0;
    double to = 0.0;
};

// A curve's points (by rising radius) and the radius window, both ends
// included, whose readings set the reading axis.
struct WindowedCurve {
    const std::vector<QPointF> *points = nullptr;
    double from = 0.0;
    double to = 0.0;
};

// How far (cm) on each side of a point its neighbours lie: wider than a
// meniscus spike, so that the spike is the smaller part of them.
constexpr double WildStretch = 0.03;

// The extent of the readings within each curve's window, leaving out the
// wild points: a point that lies beyond the medians of its neighbours on
// both sides (within WildStretch, of the whole curve), on the same side of
// both, by more than eight times the curve's noise (from its second
// differences, as the equilibrium check measures noise). At an end of its
// curve, with fewer than three neighbours on one side, a point is wild when
// it lies beyond the other side's median by that much and by more than three
// times the spread between that side's quartiles. A spike lies beyond
// both; a point of a steep rise, or of a step, lies between them or near
// one. A curve with fewer than two points in its window gives all its
// points. Nothing when no curve has a point.
std::optional<ValueRange> ReadingExtent(const std::vector<WindowedCurve> &curves);

// The extent of the points of all these curves: radii and readings.
struct PointExtent {
    ValueRange x;
    ValueRange y;
};
std::optional<PointExtent> ExtentOf(const std::vector<const std::vector<QPointF> *> &curves);

// `range` widened by `fraction` of its length at each end; one of no
// length by `least` at each end.
ValueRange Padded(ValueRange range, double fraction, double least);
