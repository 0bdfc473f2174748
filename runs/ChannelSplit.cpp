// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ChannelSplit.h"

#include "runs/EquilibriumCheck.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

constexpr size_t None = std::numeric_limits<size_t>::max();
// The smooth step is also this many times a scan's noise, for noisy scans.
constexpr double NoiseMultiple = 8.0;

struct Reading {
    double x;
    double c;
    bool saturated;
};

// The good points of a scan with finite values, by rising radius.
std::vector<Reading> readingsOf(const Scan &scan)
{
    const bool absorbance = !scan.header || scan.header->type == 'R';
    const int count = std::clamp(scan.numPoints, 0, int(scan.points.size() / 3));
    std::vector<Reading> readings;
    readings.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const double x = scan.x(i);
        const double c = scan.reading(i);
        if (!(scan.flag(i) > 0.0f) || !std::isfinite(x) || !std::isfinite(c))
            continue;
        readings.push_back({ x, c, absorbance && c >= SaturatedAbsorbance });
    }
    std::stable_sort(readings.begin(), readings.end(),
        [](const Reading &a, const Reading &b) { return a.x < b.x; });
    return readings;
}

double smoothStepOf(const std::vector<Reading> &readings)
{
    std::vector<double> c;
    for (const Reading &r : readings) {
        if (!r.saturated)
            c.push_back(r.c);
    }
    const std::optional<double> noise = NoiseOf(c);
    return std::max(SmoothStep, NoiseMultiple * noise.value_or(0.0));
}

// Does point j carry on a stretch that ends with points a (None for a
// stretch of one) and b? Either the step from b or the departure from the
// line through a and b is small: steep profiles near a bottom are smooth
// too.
bool carriesOn(const std::vector<Reading> &p, size_t a, size_t b, size_t j, double limit)
{
    if (p[j].saturated)
        return false;
    const double step = std::fabs(p[j].c - p[b].c);
    if (step <= limit)
        return true;
    if (a == None || !(p[b].x > p[a].x))
        return false;
    const double slope = (p[b].c - p[a].c) / (p[b].x - p[a].x);
    return std::fabs(p[j].c - (p[b].c + slope * (p[j].x - p[b].x))) <= limit;
}

// The stretches of one scan that may be columns.
std::vector<RadiusRange> stretchesOf(const std::vector<Reading> &p)
{
    const double limit = smoothStepOf(p);
    std::vector<RadiusRange> stretches;
    size_t i = 0;
    while (i < p.size()) {
        if (p[i].saturated) {
            ++i;
            continue;
        }
        // The stretch's last three points, the last one b.
        size_t before = None;
        size_t a = None;
        size_t b = i;
        size_t length = 1;
        size_t j = i + 1;
        const auto goesOn = [&](size_t from, size_t to, size_t next) {
            return next >= p.size() || carriesOn(p, from, to, next, limit);
        };
        while (j < p.size()) {
            if (carriesOn(p, a, b, j, limit)) {
                before = a;
                a = b;
                b = j++;
                ++length;
            } else if (!p[j].saturated && j + 1 < p.size() && carriesOn(p, a, b, j + 1, limit)
                && goesOn(b, j + 1, j + 2)) {
                // A lone stray point at j: the stretch goes on past it.
                // Saturation, though, always ends a stretch.
                before = a;
                a = b;
                b = j + 1;
                j += 2;
                ++length;
            } else if (length >= 3 && carriesOn(p, before, a, j, limit) && goesOn(a, j, j + 1)) {
                // The stray point was b, taken in because it lay close.
                b = j++;
                ++length;
            } else {
                break;
            }
        }
        // What starts the scan, a stray point aside, is air before the
        // first meniscus (or a column whose meniscus is out of view).
        if (i > 1 && length >= 2)
            stretches.push_back({ p[i].x, p[b].x });
        i = j;
    }
    return stretches;
}

// Where the counts change: a scan's points begin or end (reached), one of
// its stretches begins or ends (inside).
struct Event {
    double x;
    int reached;
    int inside;
};

} // namespace

std::vector<RadiusRange> ProposeColumns(const std::vector<const Scan *> &scans)
{
    std::vector<Event> events;
    for (const Scan *scan : scans) {
        if (!scan)
            continue;
        const std::vector<Reading> readings = readingsOf(*scan);
        if (readings.empty())
            continue;
        events.push_back({ readings.front().x, 1, 0 });
        events.push_back({ readings.back().x, -1, 0 });
        for (const RadiusRange &stretch : stretchesOf(readings)) {
            events.push_back({ stretch.from, 0, 1 });
            events.push_back({ stretch.to, 0, -1 });
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

    std::vector<RadiusRange> columns;
    for (const RadiusRange &range : voted) {
        if (range.to - range.from >= MinColumnWidth)
            columns.push_back(range);
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
