// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/Overlay.h"

#include "runs/GoodPoints.h"

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

std::vector<QPointF> Thinned(std::vector<QPointF> points)
{
    if (points.size() <= size_t(MaxCurvePoints))
        return points;
    std::vector<QPointF> kept;
    kept.reserve(size_t(MaxCurvePoints));
    const size_t stretches = size_t(MaxCurvePoints) / 2;
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

QString HoursText(double hours)
{
    return QStringLiteral("%1 h").arg(hours, 0, 'f', 1);
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
        const std::vector<RadialPoint> points = GoodPoints(scan, ceiling);
        curve.points.reserve(points.size());
        for (const RadialPoint &p : points)
            curve.points.emplace_back(p.x, p.c);

        const int group = analysis.groups.groupOf[size_t(index)];
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
                for (const RadialPoint &p : points) {
                    if (removeOffsets && (p.x < check.lo || p.x > check.hi))
                        continue;
                    if (const std::optional<double> c = ReadingAt(reference, p.x))
                        difference.points.emplace_back(
                            p.x, p.c - *c - (corrected ? check.offset : 0.0));
                }
                difference.points = Thinned(std::move(difference.points));
                overlay.differences.push_back(std::move(difference));
            }
        }
        curve.points = Thinned(std::move(curve.points));
        overlay.scans.push_back(std::move(curve));
    }
    // The scores of every group a chosen scan belongs to, in group order.
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
        overlay.scores.push_back(std::move(curve));
    }
    return overlay;
}
