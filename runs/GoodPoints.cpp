// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/GoodPoints.h"

#include <algorithm>
#include <charconv>
#include <cmath>

double DecimalRadius(double x)
{
    const float held = float(x);
    if (!std::isfinite(held))
        return x;
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, held);
    double decimal = x;
    std::from_chars(text, written.ptr, decimal);
    return decimal;
}

std::vector<PointStanding> PointStandings(const Scan &scan, double ceiling)
{
    const bool absorbance = scan.header && scan.header->type == 'R';
    const int n = std::min(scan.numPoints, int(scan.points.size() / 3));
    // Removing a point changes its flag's sign only, so the deviations a
    // scan carries are told by the flags' size.
    bool weighted = false;
    for (int i = 0; i < n && absorbance && !weighted; ++i)
        weighted = std::fabs(scan.flag(i)) != UnweightedFlag;
    std::vector<PointStanding> standings(size_t(n), PointStanding::Good);
    for (int i = 0; i < n; ++i) {
        const float flag = scan.flag(i);
        if (!(flag > 0.0f))
            standings[size_t(i)] = PointStanding::Removed;
        else if (weighted && flag == UnweightedFlag)
            standings[size_t(i)] = PointStanding::PlaceHolder;
        else if (absorbance && !(double(scan.reading(i)) <= ceiling))
            standings[size_t(i)] = PointStanding::AboveCeiling;
    }
    return standings;
}

std::vector<RadialPoint> GoodPoints(const Scan &scan, double ceiling)
{
    const std::vector<PointStanding> standings = PointStandings(scan, ceiling);
    std::vector<RadialPoint> points;
    points.reserve(standings.size());
    bool sorted = true;
    for (size_t i = 0; i < standings.size(); ++i) {
        if (standings[i] != PointStanding::Good)
            continue;
        const double x = scan.x(int(i));
        sorted = sorted && (points.empty() || points.back().x <= x);
        points.push_back({ x, scan.reading(int(i)) });
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
