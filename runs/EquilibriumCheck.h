// SPDX-License-Identifier: GPL-3.0-or-later
// Has a setting reached equilibrium? Each scan of a group is compared with
// the group's last scan: the difference, less its median (every scan has a
// baseline offset of its own), against the two scans' own noise. A score
// of about 1 means the two differ by noise alone.
//
// For a scan S and the last scan L: the range [lo, hi] is the overlap of
// their good points trimmed at each end (or the range set); d = S - L at
// S's good points in the range, L interpolated linearly; offset =
// median(d), e = d - offset; spread = 1.4826 median(|e|); the noise of a
// scan is 1.4826 median(|s - median(s)|) / sqrt(6) over its second
// differences s; score = spread / sqrt(noise(S)^2 + noise(L)^2); trend =
// the least-squares slope of e against x times (hi - lo). Fewer than 20
// points compared: no score.
#pragma once

#include "runs/GoodPoints.h"
#include "runs/Median.h"
#include "runs/Run.h"
#include "runs/RunOptions.h"

#include <optional>
#include <vector>

constexpr int MinCheckPoints = 20;
constexpr double ScoreLimit = 2.0; // at most this: noise alone
constexpr int ScansBeforeLast = 3; // that must be at most the limit

struct ScanCheck {
    int points = 0; // compared: S's good points in the range with a reading of L
    std::optional<double> score; // with the offset and the trend, when points >= 20
    double offset = 0.0;
    double trend = 0.0;
    double lo = 0.0; // the range compared (cm)
    double hi = 0.0;
};

struct GroupVerdict {
    bool reached = false;
    int since = -1; // the since scan (an index into Run::scans), when reached
};

// The noise of a scan's readings c1..cn (n >= 3), from second differences.
std::optional<double> NoiseOf(const std::vector<double> &readings);

// S against L with the analysis' range, trim and ceiling.
ScanCheck CheckScan(const Scan &s, const Scan &last, const RunOptions &options);
// The last scan of a group, for the checks of its other scans: its good
// points, and its noise over the range of the scan checked last.
class LastScan
{
public:
    explicit LastScan(std::vector<RadialPoint> points);
    const std::vector<RadialPoint> &points() const { return m_points; }
    // The noise of its good points within [lo, hi].
    std::optional<double> noiseBetween(double lo, double hi);

private:
    std::vector<RadialPoint> m_points;
    bool m_known = false;
    size_t m_from = 0;
    size_t m_to = 0;
    std::optional<double> m_noise;
};

// The same over S's good points.
ScanCheck CheckGoodPoints(
    const std::vector<RadialPoint> &s, LastScan &last, const RunOptions &options);

// The verdict of a group from its scans' checks, by elapsed time (the last
// one, the reference, has none): at least 4 scans, and the 3 before the last
// each with a score of at most 2.0.
GroupVerdict VerdictOf(const std::vector<int> &scans, const std::vector<ScanCheck> &checks);
