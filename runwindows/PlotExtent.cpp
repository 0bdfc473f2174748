// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/PlotExtent.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr double WildNoises = 8.0;
constexpr double MadToSigma = 1.4826;
// The most neighbours on one side whose median a point is compared with:
// more are sampled evenly.
constexpr size_t MostNeighbours = 15;
// The fewest on a side for it to count.
constexpr size_t MinNeighbours = 3;
// How far beyond the quartiles' spread of its one side a point at an end of
// its curve may lie.
constexpr double OneSidedSpreads = 3.0;

void widen(ValueRange &range, bool &any, double value)
{
    if (!std::isfinite(value))
        return;
    range.from = any ? std::min(range.from, value) : value;
    range.to = any ? std::max(range.to, value) : value;
    any = true;
}

// The median of values[0, n), reordering them; n > 0.
double medianOf(std::vector<double> &values, size_t n)
{
    const size_t middle = n / 2;
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(middle),
        values.begin() + std::ptrdiff_t(n));
    double median = values[middle];
    if (n % 2 == 0)
        median
            = (median + *std::max_element(values.begin(), values.begin() + std::ptrdiff_t(middle)))
            / 2.0;
    return median;
}

struct Side {
    double median;
    double spread; // between the quartiles
};

// The median and the quartiles' spread of the readings of points[from, to),
// sampled; nothing for fewer than MinNeighbours.
std::optional<Side> sideOf(
    const std::vector<QPointF> &points, size_t from, size_t to, std::vector<double> &scratch)
{
    if (to < from + MinNeighbours)
        return std::nullopt;
    const size_t stride = (to - from + MostNeighbours - 1) / MostNeighbours;
    scratch.clear();
    for (size_t j = from; j < to; j += stride)
        scratch.push_back(points[j].y());
    const size_t n = scratch.size();
    const double median = medianOf(scratch, n);
    std::nth_element(scratch.begin(), scratch.begin() + std::ptrdiff_t(n / 4), scratch.end());
    const double lower = scratch[n / 4];
    std::nth_element(scratch.begin(), scratch.begin() + std::ptrdiff_t(3 * n / 4), scratch.end());
    return Side { median, scratch[3 * n / 4] - lower };
}

// The noise of a curve's readings from their second differences, as the
// equilibrium check measures it.
double noiseOf(const std::vector<QPointF> &points, std::vector<double> &scratch)
{
    if (points.size() < 3)
        return 0.0;
    scratch.clear();
    for (size_t i = 1; i + 1 < points.size(); ++i)
        scratch.push_back(points[i + 1].y() - 2.0 * points[i].y() + points[i - 1].y());
    const double centre = medianOf(scratch, scratch.size());
    for (double &s : scratch)
        s = std::fabs(s - centre);
    return MadToSigma * medianOf(scratch, scratch.size()) / std::sqrt(6.0);
}

// Whether points[i] is wild: it lies beyond the medians of its neighbours
// on both sides (within WildStretch, from the whole curve), on the same side
// of both, by more than `limit`. A spike lies beyond both; a point of a
// steep rise or of a step lies between them or near one. The points are by
// rising radius.
bool wildAt(
    const std::vector<QPointF> &points, size_t i, double limit, std::vector<double> &scratch)
{
    const double x = points[i].x(), y = points[i].y();
    const size_t from
        = size_t(std::lower_bound(points.begin(), points.begin() + std::ptrdiff_t(i),
                     x - WildStretch, [](const QPointF &p, double v) { return p.x() < v; })
            - points.begin());
    const size_t to
        = size_t(std::upper_bound(points.begin() + std::ptrdiff_t(i) + 1, points.end(),
                     x + WildStretch, [](double v, const QPointF &p) { return v < p.x(); })
            - points.begin());
    const std::optional<Side> left = sideOf(points, from, i, scratch);
    const std::optional<Side> right = sideOf(points, i + 1, to, scratch);
    if (left && right) {
        return (y > left->median + limit && y > right->median + limit)
            || (y < left->median - limit && y < right->median - limit);
    }
    if (left || right) {
        // At an end of the curve: beyond the one side by more than its own
        // spread allows too, which the steep end of a rise is not.
        const Side &side = left ? *left : *right;
        const double off = std::fabs(y - side.median);
        return off > limit && off > OneSidedSpreads * side.spread;
    }
    return false;
}

// The readings of points[first, end) that are not wild, into `range`.
// Only the extremes matter: the points are tried from the highest down and
// from the lowest up, and each search ends at its first tame point (or at
// one the range holds already), so a drag of a line costs a few tests a
// curve rather than one per point.
void tameExtent(const std::vector<QPointF> &points, size_t first, size_t end,
    std::vector<double> &scratch, std::vector<size_t> &order, ValueRange &range, bool &any)
{
    order.clear();
    for (size_t i = first; i < end; ++i) {
        if (std::isfinite(points[i].y()))
            order.push_back(i);
    }
    if (order.empty())
        return;
    std::sort(order.begin(), order.end(),
        [&points](size_t a, size_t b) { return points[a].y() < points[b].y(); });
    const double limit = WildNoises * noiseOf(points, scratch);
    size_t low = 0;
    for (; low < order.size(); ++low) {
        const double y = points[order[low]].y();
        if (any && y >= range.from)
            break;
        if (!wildAt(points, order[low], limit, scratch)) {
            widen(range, any, y);
            break;
        }
    }
    for (size_t k = order.size(); k-- > low;) {
        const double y = points[order[k]].y();
        if (any && y <= range.to)
            break;
        if (!wildAt(points, order[k], limit, scratch)) {
            widen(range, any, y);
            break;
        }
    }
}

} // namespace

std::optional<ValueRange> ReadingExtent(const std::vector<WindowedCurve> &curves)
{
    ValueRange range;
    bool any = false;
    std::vector<double> scratch;
    std::vector<size_t> order;
    for (const WindowedCurve &curve : curves) {
        if (!curve.points || curve.points->empty())
            continue;
        const std::vector<QPointF> &points = *curve.points;
        const auto first = std::lower_bound(points.begin(), points.end(), curve.from,
            [](const QPointF &p, double x) { return p.x() < x; });
        const auto end = std::upper_bound(points.begin(), points.end(), curve.to,
            [](double x, const QPointF &p) { return x < p.x(); });
        if (end - first < 2) {
            tameExtent(points, 0, points.size(), scratch, order, range, any);
            continue;
        }
        tameExtent(points, size_t(first - points.begin()), size_t(end - points.begin()), scratch,
            order, range, any);
    }
    if (!any)
        return std::nullopt;
    return range;
}

std::optional<PointExtent> ExtentOf(const std::vector<const std::vector<QPointF> *> &curves)
{
    PointExtent extent;
    bool anyX = false, anyY = false;
    for (const std::vector<QPointF> *curve : curves) {
        if (!curve)
            continue;
        for (const QPointF &p : *curve) {
            if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
                continue;
            widen(extent.x, anyX, p.x());
            widen(extent.y, anyY, p.y());
        }
    }
    if (!anyX)
        return std::nullopt;
    return extent;
}

ValueRange Padded(ValueRange range, double fraction, double least)
{
    const double length = range.to - range.from;
    const double by = length > 0.0 ? fraction * length : least;
    return { range.from - by, range.to + by };
}
