// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/SolutionColumn.h"

#include "runs/GoodPoints.h"
#include "runs/Median.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr double MadScale = 1.4826;
// A point breaks its stretch when it leaves the line through its
// neighbours by this many times the scan's typical departure...
constexpr double RoughMultiple = 6.0;
// ... plus this share of the profile's change over the step: steep
// profiles near a bottom bend by a fraction of it.
constexpr double SlopeShare = 0.3;
// A stretch ending in saturation from readings above this saturated on its
// own: its end is no bottom.
constexpr double SaturatingFrom = 2.5;
constexpr double RisingTo = 2.0;
// Air-like: level with the air and as flat, within this many times the
// departure (or this much, in reading units).
constexpr double AirMultiple = 10.0;
constexpr double AirLevel = 0.03;
constexpr int FewestPoints = 20;

struct Point {
    double x;
    double c;
    bool saturated;
};

std::vector<Point> pointsOf(const float *points, int count, bool absorbance)
{
    bool weighted = false;
    for (int i = 0; i < count && absorbance && !weighted; ++i)
        weighted = std::fabs(points[3 * i + 2]) != UnweightedFlag;
    std::vector<Point> p;
    p.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const double x = points[3 * i];
        const double c = points[3 * i + 1];
        const float flag = points[3 * i + 2];
        if (!(flag > 0.0f) || !std::isfinite(x) || !std::isfinite(c))
            continue;
        const bool saturated = absorbance && c >= SaturatedAbsorbance;
        // A row the instrument could not measure says nothing, unless it
        // is saturation, which marks the base.
        if (weighted && flag == UnweightedFlag && !saturated)
            continue;
        p.push_back({ x, c, saturated });
    }
    const auto below = [](const Point &a, const Point &b) { return a.x < b.x; };
    if (!std::is_sorted(p.begin(), p.end(), below))
        std::stable_sort(p.begin(), p.end(), below);
    return p;
}

// How far point i leaves the line through its neighbours, and the
// profile's change over the step there.
struct Departure {
    double off;
    double change;
};

Departure departureAt(const std::vector<Point> &p, size_t i)
{
    const Point &a = p[i - 1];
    const Point &b = p[i + 1];
    const double span = b.x - a.x;
    const double line = span > 0.0 ? a.c + (b.c - a.c) * (p[i].x - a.x) / span : (a.c + b.c) / 2.0;
    return { p[i].c - line, std::fabs(b.c - a.c) / 2.0 };
}

struct Stretch {
    size_t first;
    size_t last;
};

double medianOf(std::vector<double> values)
{
    return Median(values);
}

// The level and the change from end to end of a stretch, robust to a stray point.
double levelOf(const std::vector<Point> &p, const Stretch &s)
{
    std::vector<double> c;
    for (size_t i = s.first; i <= s.last; ++i)
        c.push_back(p[i].c);
    return medianOf(c);
}

double riseOf(const std::vector<Point> &p, const Stretch &s)
{
    const size_t n = s.last - s.first + 1;
    const size_t k = std::max<size_t>(1, std::min<size_t>(5, n / 4));
    std::vector<double> head, tail;
    for (size_t i = 0; i < k; ++i) {
        head.push_back(p[s.first + i].c);
        tail.push_back(p[s.last - i].c);
    }
    return medianOf(tail) - medianOf(head);
}

} // namespace

double ColumnRadius(double x)
{
    return std::round(x * 1e5) / 1e5;
}

SolutionColumn ColumnBetween(double meniscus, double bottom)
{
    return { ColumnRadius(meniscus), ColumnRadius(bottom), ColumnRadius(meniscus + MeniscusMargin),
        ColumnRadius(bottom - BottomMargin), false };
}

std::vector<ColumnEstimate> EstimateColumns(const float *points, int count, bool absorbance)
{
    std::vector<ColumnEstimate> columns;
    if (!points || count < FewestPoints)
        return columns;
    const std::vector<Point> p = pointsOf(points, count, absorbance);
    const size_t n = p.size();
    if (n < size_t(FewestPoints))
        return columns;

    std::vector<Departure> departures(n, { 0.0, 0.0 });
    std::vector<double> offs;
    offs.reserve(n);
    for (size_t i = 1; i + 1 < n; ++i) {
        if (p[i - 1].saturated || p[i].saturated || p[i + 1].saturated)
            continue;
        departures[i] = departureAt(p, i);
        offs.push_back(departures[i].off);
    }
    if (offs.size() < size_t(FewestPoints))
        return columns;
    // Median reorders, which the spread about the centre does not mind.
    const double centre = Median(offs);
    for (double &off : offs)
        off = std::fabs(off - centre);
    const double typical = MadScale * Median(offs);
    // A scan flat to the last digit breaks nowhere.
    const double floor = 1e-6;

    std::vector<bool> rough(n, false);
    for (size_t i = 0; i < n; ++i) {
        if (p[i].saturated) {
            rough[i] = true;
        } else if (i > 0 && i + 1 < n) {
            if (p[i - 1].saturated || p[i + 1].saturated)
                rough[i] = true;
            else
                rough[i] = std::fabs(departures[i].off - centre)
                    > std::max(RoughMultiple * typical, floor) + SlopeShare * departures[i].change;
        }
    }

    std::vector<Stretch> stretches;
    for (size_t i = 0; i < n;) {
        if (rough[i]) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j + 1 < n && !rough[j + 1])
            ++j;
        stretches.push_back({ i, j });
        i = j + 1;
    }
    if (stretches.empty())
        return columns;

    // The air a scan starts with, when it does: its level and how flat it is.
    std::optional<double> air;
    const Stretch &start = stretches.front();
    if (start.first == 0 && start.last - start.first + 1 >= 10)
        air = levelOf(p, start);
    const double airBand = std::max(AirMultiple * typical, AirLevel);

    for (const Stretch &s : stretches) {
        if (s.first == 0 || p[s.last].x - p[s.first].x < MinSolutionWidth)
            continue;
        if (air && std::fabs(levelOf(p, s) - *air) <= airBand && std::fabs(riseOf(p, s)) <= airBand)
            continue;
        ColumnEstimate estimate;
        estimate.meniscus = p[s.first].x;
        estimate.reach = p[s.last].x;
        const bool endsScan = s.last + 1 == n;
        // Readings that high at its end, or high and carried on by the
        // next point towards saturation (where a base would jump): the
        // sample saturates there and hides the base.
        bool saturates = absorbance && p[s.last].c >= SaturatingFrom;
        if (absorbance && !saturates && p[s.last].c >= RisingTo && s.last > s.first
            && s.last + 1 < n && !p[s.last + 1].saturated) {
            const Point &a = p[s.last - 1];
            const Point &b = p[s.last];
            const Point &next = p[s.last + 1];
            const double change = b.x > a.x ? (b.c - a.c) / (b.x - a.x) * (next.x - b.x) : 0.0;
            const bool carried = std::fabs(next.c - (b.c + change))
                <= std::max(RoughMultiple * typical, floor) + SlopeShare * std::fabs(change);
            for (size_t k = s.last + 1; carried && k < n && k <= s.last + 4 && !saturates; ++k)
                saturates = p[k].c >= SaturatingFrom;
        }
        if (!endsScan)
            estimate.bottom = p[s.last].x;
        estimate.saturating = saturates;
        columns.push_back(estimate);
    }
    return columns;
}

std::vector<ColumnEstimate> EstimateColumns(const Scan &scan)
{
    const int count = std::clamp(scan.numPoints, 0, int(scan.points.size() / 3));
    const bool absorbance = !scan.header || scan.header->type == 'R';
    return EstimateColumns(scan.points.data(), count, absorbance);
}

std::optional<ColumnEstimate> EstimateColumn(const Scan &scan)
{
    const std::vector<ColumnEstimate> columns = EstimateColumns(scan);
    std::optional<ColumnEstimate> widest;
    double width = -1.0;
    for (const ColumnEstimate &column : columns) {
        const double w = column.reach - column.meniscus;
        if (w > width) {
            width = w;
            widest = column;
        }
    }
    return widest;
}

ColumnEnds CombineEstimates(const std::vector<ColumnEstimate> &estimates)
{
    std::vector<double> menisci, bottoms, saturating;
    for (const ColumnEstimate &estimate : estimates) {
        menisci.push_back(DecimalRadius(estimate.meniscus));
        if (estimate.bottom)
            (estimate.saturating ? saturating : bottoms).push_back(DecimalRadius(*estimate.bottom));
    }
    ColumnEnds ends;
    if (!menisci.empty())
        ends.meniscus = Median(menisci);
    if (!bottoms.empty())
        ends.bottom = Median(bottoms);
    if (!saturating.empty())
        ends.saturatingBottom = Median(saturating);
    return ends;
}

std::optional<SolutionColumn> ColumnOf(const ColumnEnds &ends)
{
    if (!ends.meniscus || !ends.bottom)
        return std::nullopt;
    if (*ends.bottom - *ends.meniscus < MeniscusMargin + BottomMargin + 0.01)
        return std::nullopt;
    return ColumnBetween(*ends.meniscus, *ends.bottom);
}
