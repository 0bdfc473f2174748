// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/Overlay.h"

#include "runs/GoodPoints.h"
#include "runs/LnCFit.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{

// Stops of a perceptually even scale (viridis).
constexpr std::array<std::array<int, 3>, 5> stops
    = { { { 68, 1, 84 }, { 59, 82, 139 }, { 33, 145, 140 }, { 94, 201, 98 }, { 253, 231, 37 } } };

} // namespace

QColor TimeColour(double fraction)
{
    if (!std::isfinite(fraction))
        fraction = 0.0;
    const double at = std::clamp(fraction, 0.0, 1.0) * double(stops.size() - 1);
    const size_t k = std::min(size_t(at), stops.size() - 2);
    const double f = at - double(k);
    int rgb[3];
    for (int c = 0; c < 3; ++c)
        rgb[c] = int(std::lround(stops[k][size_t(c)] * (1.0 - f) + stops[k + 1][size_t(c)] * f));
    return QColor(rgb[0], rgb[1], rgb[2]);
}

QColor NoTimeColour()
{
    return QColor(128, 128, 128);
}

std::vector<QPointF> Thinned(std::vector<QPointF> points, int most)
{
    most = std::max(most, 2);
    if (points.size() <= size_t(most))
        return points;
    std::vector<QPointF> kept;
    kept.reserve(size_t(most));
    const size_t stretches = size_t(most) / 2;
    for (size_t k = 0; k < stretches; ++k) {
        const size_t first = k * points.size() / stretches;
        const size_t end = (k + 1) * points.size() / stretches;
        size_t low = first, high = first;
        for (size_t i = first; i < end; ++i) {
            if (points[i].y() < points[low].y())
                low = i;
            if (points[i].y() > points[high].y())
                high = i;
        }
        kept.push_back(points[std::min(low, high)]);
        if (low != high)
            kept.push_back(points[std::max(low, high)]);
    }
    return kept;
}

std::vector<std::pair<size_t, size_t>> Stretches(const OverlayCurve &curve)
{
    std::vector<std::pair<size_t, size_t>> stretches;
    size_t begin = 0;
    for (size_t at : curve.breaks) {
        if (at > begin && at <= curve.points.size())
            stretches.emplace_back(begin, at);
        begin = std::max(begin, at);
    }
    if (begin < curve.points.size())
        stretches.emplace_back(begin, curve.points.size());
    return stretches;
}

QString CellText(int cell, int column)
{
    return column > 0 ? QStringLiteral("Cell %1, column %2").arg(cell).arg(column)
                      : QStringLiteral("Cell %1").arg(cell);
}

QString GroupText(const ScanGroup &group)
{
    return QStringLiteral("%1, %2, %3, %4 rpm")
        .arg(CellText(group.cell, group.column))
        .arg(QLatin1String(ScanTypeName(group.type)))
        .arg(BandText({ group.lowestWavelength, group.highestWavelength }))
        .arg(group.speed);
}

namespace
{

// A scan's good points in file order, each knowing whether a point that is
// not good lies before it since the last good one.
struct GoodRun {
    std::vector<RadialPoint> points;
    std::vector<bool> gapBefore;
    std::vector<QPointF> greyed; // above the ceiling or not measured
    std::vector<QPointF> removed;
};

GoodRun goodRunOf(const Scan &scan, double ceiling)
{
    GoodRun good;
    const std::vector<PointStanding> standings = PointStandings(scan, ceiling);
    good.points.reserve(standings.size());
    good.gapBefore.reserve(standings.size());
    bool gap = false;
    bool sorted = true;
    for (size_t i = 0; i < standings.size(); ++i) {
        const QPointF at(scan.x(int(i)), scan.reading(int(i)));
        switch (standings[i]) {
        case PointStanding::Good:
            sorted = sorted && (good.points.empty() || good.points.back().x <= at.x());
            good.points.push_back({ at.x(), at.y() });
            good.gapBefore.push_back(gap && good.points.size() > 1);
            gap = false;
            break;
        case PointStanding::Removed:
            good.removed.push_back(at);
            gap = true;
            break;
        case PointStanding::PlaceHolder:
        case PointStanding::AboveCeiling:
            good.greyed.push_back(at);
            gap = true;
            break;
        }
    }
    if (!sorted) {
        // Radii out of order: by radius, as the computations take them, unbroken.
        good.points = GoodPoints(scan, ceiling);
        good.gapBefore.assign(good.points.size(), false);
    }
    return good;
}

// The curve's points and breaks thinned to about MaxCurvePoints, each
// stretch keeping its share and its spikes.
void thinCurve(OverlayCurve &curve)
{
    const size_t total = curve.points.size();
    if (total <= size_t(MaxCurvePoints))
        return;
    std::vector<QPointF> kept;
    std::vector<size_t> breaks;
    kept.reserve(size_t(MaxCurvePoints) + curve.breaks.size());
    for (const auto &[begin, end] : Stretches(curve)) {
        if (!kept.empty())
            breaks.push_back(kept.size());
        const size_t share = std::max<size_t>(2, size_t(MaxCurvePoints) * (end - begin) / total);
        const std::vector<QPointF> thin
            = Thinned(std::vector<QPointF>(curve.points.begin() + std::ptrdiff_t(begin),
                          curve.points.begin() + std::ptrdiff_t(end)),
                int(share));
        kept.insert(kept.end(), thin.begin(), thin.end());
    }
    curve.points = std::move(kept);
    curve.breaks = std::move(breaks);
}

// The radii whose readings set the reading axis for this scan: the range of
// its check; for a group's last scan, the range of its group's checks; else
// its good points trimmed, or the range set.
RadiusRange windowOf(const RunAnalysis &analysis, int index, const std::vector<RadialPoint> &points)
{
    const int group = analysis.groups.groupOf[size_t(index)];
    if (group >= 0) {
        const ScanGroup &of = analysis.groups.groups[size_t(group)];
        const auto compared = [&analysis](int scan) {
            const ScanCheck &check = analysis.checks[size_t(scan)];
            return check.hi > check.lo;
        };
        if (index != of.last()) {
            if (compared(index))
                return { analysis.checks[size_t(index)].lo, analysis.checks[size_t(index)].hi };
        } else {
            std::optional<RadiusRange> all;
            for (int scan : of.scans) {
                if (scan == index || !compared(scan))
                    continue;
                const ScanCheck &check = analysis.checks[size_t(scan)];
                all = all
                    ? RadiusRange { std::min(all->from, check.lo), std::max(all->to, check.hi) }
                    : RadiusRange { check.lo, check.hi };
            }
            if (all)
                return *all;
        }
    }
    const auto [lo, hi] = FitRange(points, analysis.options);
    return { lo, hi };
}

} // namespace

Overlay BuildOverlay(
    const Run &run, const RunAnalysis &analysis, const std::vector<int> &chosen, bool removeOffsets)
{
    Overlay overlay;
    overlay.offsetsRemoved = removeOffsets;
    bool anyTime = false;
    for (int index : chosen) {
        const Scan &scan = run.scans[size_t(index)];
        if (!scan.header)
            continue;
        const double hours = double(scan.header->time) / 3600.0;
        overlay.firstHours = anyTime ? std::min(overlay.firstHours, hours) : hours;
        overlay.lastHours = anyTime ? std::max(overlay.lastHours, hours) : hours;
        anyTime = true;
    }
    const double span = overlay.lastHours - overlay.firstHours;
    const double ceiling = analysis.options.ceiling;
    // Beyond the limit, scans evenly spread over the chosen ones, the first
    // and the last among them: a plot of thousands of curves shows no more
    // and would keep the window waiting.
    std::vector<int> plotted = chosen;
    if (plotted.size() > size_t(MaxOverlayCurves)) {
        std::vector<int> by = chosen;
        std::stable_sort(by.begin(), by.end(), [&run](int a, int b) {
            const auto time = [&run](int s) {
                return run.scans[size_t(s)].header ? run.scans[size_t(s)].header->time : -1;
            };
            return time(a) < time(b);
        });
        plotted.clear();
        for (int k = 0; k < MaxOverlayCurves; ++k)
            plotted.push_back(by[size_t(
                std::llround(double(k) * double(by.size() - 1) / double(MaxOverlayCurves - 1)))]);
    }
    overlay.chosen = int(chosen.size());
    std::vector<std::vector<RadialPoint>> references(analysis.groups.groups.size());
    bool anyPoint = false;
    bool anyGroup = false;
    bool compared = false; // a difference with a point
    bool uncompared = false; // one without
    for (int index : plotted) {
        const Scan &scan = run.scans[size_t(index)];
        OverlayCurve curve;
        curve.scan = index;
        curve.label = scan.name;
        if (scan.header) {
            curve.hours = double(scan.header->time) / 3600.0;
            curve.label += QStringLiteral("  (") + HoursText(*curve.hours) + QLatin1Char(')');
            curve.colour
                = TimeColour(span > 0.0 ? (*curve.hours - overlay.firstHours) / span : 1.0);
        } else {
            curve.colour = NoTimeColour();
        }
        GoodRun good = goodRunOf(scan, ceiling);
        const std::vector<RadialPoint> &points = good.points;
        curve.points.reserve(points.size());
        for (size_t i = 0; i < points.size(); ++i) {
            if (good.gapBefore[i])
                curve.breaks.push_back(curve.points.size());
            curve.points.emplace_back(points[i].x, points[i].c);
        }
        const RadiusRange window = windowOf(analysis, index, points);
        curve.from = window.from;
        curve.to = window.to;
        for (const QPointF &p : Thinned(std::move(good.greyed), MaxApartPoints))
            overlay.greyed.push_back(p);
        for (const QPointF &p : Thinned(std::move(good.removed), MaxApartPoints))
            overlay.removed.push_back(p);

        const int group = analysis.groups.groupOf[size_t(index)];
        anyGroup = anyGroup || group >= 0;
        if (group >= 0) {
            const int last = analysis.groups.groups[size_t(group)].last();
            if (last != index) {
                std::vector<RadialPoint> &reference = references[size_t(group)];
                if (reference.empty())
                    reference = GoodPoints(run.scans[size_t(last)], ceiling);
                const ScanCheck &check = analysis.checks[size_t(index)];
                const bool corrected = removeOffsets && check.score.has_value();
                OverlayCurve difference = curve;
                difference.points.clear();
                difference.breaks.clear();
                bool gap = false;
                for (size_t i = 0; i < points.size(); ++i) {
                    const RadialPoint &p = points[i];
                    gap = gap || good.gapBefore[i];
                    if (removeOffsets && (p.x < check.lo || p.x > check.hi))
                        continue;
                    if (const std::optional<double> c = ReadingAt(reference, p.x)) {
                        if (gap && !difference.points.empty())
                            difference.breaks.push_back(difference.points.size());
                        gap = false;
                        difference.points.emplace_back(
                            p.x, p.c - *c - (corrected ? check.offset : 0.0));
                    }
                }
                thinCurve(difference);
                compared = compared || !difference.points.empty();
                uncompared = uncompared || difference.points.empty();
                overlay.differences.push_back(std::move(difference));
            }
        }
        thinCurve(curve);
        anyPoint = anyPoint || !curve.points.empty();
        overlay.scans.push_back(std::move(curve));
    }
    if (chosen.empty())
        overlay.overlayNote = QStringLiteral("No scan chosen: choose a setting in the tree or "
                                             "scans in the table");
    else if (!anyPoint)
        overlay.overlayNote = QStringLiteral("No good point in the chosen scans");
    if (!compared && !chosen.empty()) {
        if (uncompared)
            overlay.differenceNote = QStringLiteral("Too few points left to compare");
        else if (anyGroup)
            overlay.differenceNote = QStringLiteral("One scan: no other scan to compare with the "
                                                    "last");
        else
            overlay.differenceNote = QStringLiteral("No scan of a setting: nothing to compare");
    }
    // The scores of every group a chosen scan belongs to, in group order.
    bool anyScore = false;
    std::vector<bool> seen(analysis.groups.groups.size(), false);
    for (int index : chosen) {
        const int group = analysis.groups.groupOf[size_t(index)];
        if (group >= 0)
            seen[size_t(group)] = true;
    }
    for (size_t g = 0; g < seen.size(); ++g) {
        if (!seen[g])
            continue;
        const ScanGroup &group = analysis.groups.groups[g];
        ScoreCurve curve;
        curve.group = int(g);
        curve.label = GroupText(group);
        for (int scan : group.scans) {
            const std::optional<double> &score = analysis.checks[size_t(scan)].score;
            if (!score || !std::isfinite(*score))
                continue;
            curve.points.emplace_back(
                double(run.scans[size_t(scan)].header->time) / 3600.0, *score);
            curve.scans.push_back(scan);
        }
        anyScore = anyScore || !curve.points.empty();
        overlay.scores.push_back(std::move(curve));
    }
    if (!anyScore && !chosen.empty())
        overlay.scoreNote = overlay.scores.empty()
            ? QStringLiteral("No scan of a setting: no scores")
            : QStringLiteral("No scores: a scan has one against the last scan of its setting, "
                             "over at least %1 points")
                  .arg(MinCheckPoints);
    return overlay;
}
