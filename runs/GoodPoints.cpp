// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/GoodPoints.h"

#include <algorithm>

std::vector<RadialPoint> GoodPoints(const Scan &scan, double ceiling)
{
    const bool absorbance = scan.header && scan.header->type == 'R';
    std::vector<RadialPoint> points;
    points.reserve(size_t(scan.numPoints));
    bool sorted = true;
    for (int i = 0; i < scan.numPoints; ++i) {
        if (!(scan.flag(i) > 0.0f))
            continue;
        const double c = scan.reading(i);
        if (absorbance && !(c <= ceiling))
            continue;
        const double x = scan.x(i);
        sorted = sorted && (points.empty() || points.back().x <= x);
        points.push_back({ x, c });
    }
    if (!sorted)
        std::stable_sort(points.begin(), points.end(),
            [](const RadialPoint &a, const RadialPoint &b) { return a.x < b.x; });
    return points;
}

std::optional<double> ReadingAt(const std::vector<RadialPoint> &points, double x)
{
    // The first point at or beyond x.
    const auto above = std::lower_bound(points.begin(), points.end(), x,
        [](const RadialPoint &p, double value) { return p.x < value; });
    if (above == points.end())
        return std::nullopt;
    if (above->x == x)
        return above->c;
    if (above == points.begin())
        return std::nullopt;
    const RadialPoint &below = *(above - 1);
    return below.c + (above->c - below.c) * (x - below.x) / (above->x - below.x);
}
