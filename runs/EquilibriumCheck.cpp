// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/EquilibriumCheck.h"

#include "runs/GoodPoints.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

constexpr double MadScale = 1.4826; // a normal distribution's sigma per median absolute deviation

// Least-squares slope of y on x; 0 when the x do not vary.
double slope(const std::vector<double> &x, const std::vector<double> &y)
{
    const size_t n = x.size();
    double mx = 0.0, my = 0.0;
    for (size_t i = 0; i < n; ++i) {
        mx += x[i];
        my += y[i];
    }
    mx /= double(n);
    my /= double(n);
    double sxy = 0.0, sxx = 0.0;
    for (size_t i = 0; i < n; ++i) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
    }
    return sxx > 0.0 ? sxy / sxx : 0.0;
}

} // namespace

std::optional<double> NoiseOf(const std::vector<double> &c)
{
    if (c.size() < 3)
        return std::nullopt;
    std::vector<double> s;
    s.reserve(c.size() - 2);
    for (size_t j = 1; j + 1 < c.size(); ++j)
        s.push_back(c[j + 1] - 2.0 * c[j] + c[j - 1]);
    std::vector<double> work = s;
    const double centre = Median(work);
    for (size_t i = 0; i < s.size(); ++i)
        work[i] = std::fabs(s[i] - centre);
    return MadScale * Median(work) / std::sqrt(6.0);
}

ScanCheck CheckScan(const Scan &scan, const Scan &last, const RunOptions &options)
{
    LastScan reference(GoodPoints(last, options.ceiling));
    return CheckGoodPoints(GoodPoints(scan, options.ceiling), reference, options);
}

LastScan::LastScan(std::vector<RadialPoint> points)
    : m_points(std::move(points))
{
}

std::optional<double> LastScan::noiseBetween(double lo, double hi)
{
    const auto below = [](const RadialPoint &p, double x) { return p.x < x; };
    const auto first = std::lower_bound(m_points.begin(), m_points.end(), lo, below);
    const auto last = std::upper_bound(m_points.begin(), m_points.end(), hi,
        [](double x, const RadialPoint &p) { return x < p.x; });
    const size_t from = size_t(first - m_points.begin());
    const size_t to = std::max(from, size_t(last - m_points.begin()));
    // The scans of a group mostly share one range: its noise is kept.
    if (!m_known || from != m_from || to != m_to) {
        std::vector<double> readings;
        readings.reserve(to - from);
        for (size_t i = from; i < to; ++i)
            readings.push_back(m_points[i].c);
        m_noise = NoiseOf(readings);
        m_from = from;
        m_to = to;
        m_known = true;
    }
    return m_noise;
}

ScanCheck CheckGoodPoints(
    const std::vector<RadialPoint> &s, LastScan &last, const RunOptions &options)
{
    ScanCheck check;
    const std::vector<RadialPoint> &l = last.points();
    if (s.empty() || l.empty())
        return check;
    check.lo = options.from ? RadiusBound(*options.from)
                            : RadiusBoundFrom(std::max(s.front().x, l.front().x), options.trim);
    check.hi = options.to ? RadiusBound(*options.to)
                          : RadiusBoundFrom(std::min(s.back().x, l.back().x), -options.trim);

    std::vector<double> selected; // S's readings in the range, for its noise
    std::vector<double> x, d;
    selected.reserve(s.size());
    x.reserve(s.size());
    d.reserve(s.size());
    // S's points rise, so the first of L's points at or beyond each only
    // moves on: one walk along L in place of a search per point.
    size_t above = 0;
    for (const RadialPoint &p : s) {
        if (p.x < check.lo || p.x > check.hi)
            continue;
        selected.push_back(p.c);
        while (above < l.size() && l[above].x < p.x)
            ++above;
        if (above == l.size())
            continue;
        double reference = l[above].c;
        if (l[above].x != p.x) {
            if (above == 0)
                continue;
            const RadialPoint &below = l[above - 1];
            reference = below.c + (l[above].c - below.c) * (p.x - below.x) / (l[above].x - below.x);
        }
        x.push_back(p.x);
        d.push_back(p.c - reference);
    }
    check.points = int(d.size());
    if (check.points < MinCheckPoints)
        return check;

    std::vector<double> work = d;
    check.offset = Median(work);
    std::vector<double> &e = d;
    for (size_t i = 0; i < e.size(); ++i) {
        e[i] -= check.offset;
        work[i] = std::fabs(e[i]);
    }
    const double spread = MadScale * Median(work);

    const std::optional<double> noiseS = NoiseOf(selected);
    const std::optional<double> noiseL = last.noiseBetween(check.lo, check.hi);
    if (!noiseS || !noiseL)
        return check;
    const double noise = std::hypot(*noiseS, *noiseL);
    if (noise > 0.0)
        check.score = spread / noise;
    else
        check.score = spread > 0.0 ? std::numeric_limits<double>::infinity() : 0.0;
    check.trend = slope(x, e) * (check.hi - check.lo);
    return check;
}

GroupVerdict VerdictOf(const std::vector<int> &scans, const std::vector<ScanCheck> &checks)
{
    GroupVerdict verdict;
    const int n = int(scans.size());
    const auto quiet = [&](int k) {
        const std::optional<double> &score = checks[size_t(scans[size_t(k)])].score;
        return score && *score <= ScoreLimit;
    };
    if (n < ScansBeforeLast + 1)
        return verdict;
    for (int k = n - 1 - ScansBeforeLast; k < n - 1; ++k) {
        if (!quiet(k))
            return verdict;
    }
    verdict.reached = true;
    int since = n - 2;
    while (since > 0 && quiet(since - 1))
        --since;
    verdict.since = scans[size_t(since)];
    return verdict;
}
