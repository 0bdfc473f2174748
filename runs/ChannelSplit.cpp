// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ChannelSplit.h"

#include "runs/GoodPoints.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

// Where the counts change: a scan's points begin or end (reached), one of
// its columns begins or ends (inside).
struct Event {
    double x;
    int reached;
    int inside;
};

// The radii a scan's finite good points reach.
std::optional<RadiusRange> extentOf(const Scan &scan)
{
    const int count = std::clamp(scan.numPoints, 0, int(scan.points.size() / 3));
    std::optional<RadiusRange> extent;
    for (int i = 0; i < count; ++i) {
        const double x = scan.x(i);
        if (!(scan.flag(i) > 0.0f) || !std::isfinite(x) || !std::isfinite(scan.reading(i)))
            continue;
        extent = extent ? RadiusRange { std::min(extent->from, x), std::max(extent->to, x) }
                        : RadiusRange { x, x };
    }
    return extent;
}

} // namespace

std::vector<RadiusRange> ProposeColumns(const std::vector<const Scan *> &scans)
{
    std::vector<Event> events;
    std::vector<ColumnEstimate> estimates;
    for (const Scan *scan : scans) {
        if (!scan)
            continue;
        const std::optional<RadiusRange> extent = extentOf(*scan);
        if (!extent)
            continue;
        events.push_back({ extent->from, 1, 0 });
        events.push_back({ extent->to, -1, 0 });
        for (const ColumnEstimate &column : EstimateColumns(*scan)) {
            events.push_back({ column.meniscus, 0, 1 });
            events.push_back({ column.reach, 0, -1 });
            estimates.push_back(column);
        }
    }
    std::sort(
        events.begin(), events.end(), [](const Event &a, const Event &b) { return a.x < b.x; });

    // Between two event radii the counts stay the same; a radius is voted
    // into a column where most of the scans that reach it have it inside.
    std::vector<RadiusRange> voted;
    bool open = false;
    int reached = 0;
    int inside = 0;
    for (size_t k = 0; k < events.size();) {
        const double x = events[k].x;
        for (; k < events.size() && events[k].x == x; ++k) {
            reached += events[k].reached;
            inside += events[k].inside;
        }
        const bool column = k < events.size() && reached > 0 && 2 * inside > reached;
        if (column && !open)
            voted.push_back({ x, x });
        if (column)
            voted.back().to = events[k].x;
        open = column;
    }

    // Each column voted runs from the median meniscus to the median bottom
    // of the scans' columns that lie across its middle.
    std::vector<RadiusRange> columns;
    for (const RadiusRange &range : voted) {
        if (range.to - range.from < MinColumnWidth)
            continue;
        const double middle = (range.from + range.to) / 2.0;
        std::vector<ColumnEstimate> across;
        for (const ColumnEstimate &estimate : estimates) {
            if (estimate.meniscus <= middle && estimate.reach >= middle)
                across.push_back(estimate);
        }
        const ColumnEnds ends = CombineEstimates(across);
        // As bounds of float radii, so that every reader of the range
        // takes the same points.
        columns.push_back({ RadiusBound(ends.meniscus.value_or(range.from)),
            RadiusBound(ends.bottom.value_or(range.to)) });
    }
    if (columns.size() < 2)
        columns.clear();
    return columns;
}

QString ColumnFileName(const QString &path, int column)
{
    if (path.isEmpty())
        return path;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    // A dot that starts the name or lies in a folder's name is no extension.
    const qsizetype at = dot > slash + 1 ? dot : path.size();
    return path.left(at) + QStringLiteral("-c%1").arg(column) + path.mid(at);
}

std::vector<Scan> SplitScan(const Scan &scan, const std::vector<RadiusRange> &columns)
{
    std::vector<RadiusRange> ordered = columns;
    std::stable_sort(ordered.begin(), ordered.end(),
        [](const RadiusRange &a, const RadiusRange &b) { return a.from < b.from; });
    const int count = std::clamp(scan.numPoints, 0, int(scan.points.size() / 3));
    std::vector<Scan> parts;
    for (size_t k = 0; k < ordered.size(); ++k) {
        const RadiusRange &range = ordered[k];
        Scan part;
        part.column = int(k) + 1;
        part.path = ColumnFileName(scan.path, part.column);
        part.file = scan.file;
        part.name = ColumnFileName(scan.name, part.column);
        part.shown = ColumnFileName(scan.shown, part.column);
        part.archive = scan.archive;
        part.member = scan.member;
        part.description = scan.description;
        part.header = scan.header;
        part.numComments = scan.numComments;
        part.comments = scan.comments;
        part.edited = scan.edited;
        part.carried = range;
        // Radii are floats: a bound typed as 6.30 takes the point read as 6.3.
        const float from = float(range.from);
        const float to = float(range.to);
        for (int i = 0; i < count; ++i) {
            const float x = scan.x(i);
            if (x >= from && x <= to) {
                part.points.insert(part.points.end(), { scan.x(i), scan.reading(i), scan.flag(i) });
                ++part.numPoints;
            }
        }
        parts.push_back(std::move(part));
    }
    return parts;
}
