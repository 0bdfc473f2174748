// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/Overlay.h"
#include "runs/RunAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace
{

Scan scanWith(char type, int cell, int speed, double wavelength, int64_t time)
{
    Scan scan;
    scan.header = ScanHeader { type, cell, 20.0, speed, time, 1.0, wavelength, 1 };
    return scan;
}

} // namespace

TEST(Overlay, ThousandsOfScansArePlottedAsAFewSpreadOverTheirTimes)
{
    ::Run run;
    std::vector<int> chosen;
    for (int i = 0; i < 1000; ++i) {
        // Times out of order, so that the spread is by time, not by index.
        Scan scan = scanWith('R', 1, 16000, 280, int64_t((i * 7919) % 1000) * 60);
        scan.points = { 6.0f, 0.1f, 100.0f, 6.1f, 0.2f, 100.0f };
        scan.numPoints = 2;
        run.scans.push_back(scan);
        chosen.push_back(i);
    }
    const RunAnalysis analysis = AnalyseRun(run);
    const Overlay overlay = BuildOverlay(run, analysis, chosen);
    EXPECT_EQ(overlay.chosen, 1000);
    ASSERT_EQ(overlay.scans.size(), size_t(MaxOverlayCurves));
    EXPECT_EQ(*overlay.scans.front().hours, 0.0) << "the first in time";
    EXPECT_EQ(*overlay.scans.back().hours, 999.0 / 60.0) << "and the last";
    std::set<int> distinct;
    for (const OverlayCurve &curve : overlay.scans)
        distinct.insert(curve.scan);
    EXPECT_EQ(distinct.size(), size_t(MaxOverlayCurves));
    EXPECT_EQ(overlay.differences.size(), size_t(MaxOverlayCurves) - 1) << "all but the last";

    const Overlay few = BuildOverlay(run, analysis, { 3, 1, 2 });
    EXPECT_EQ(few.scans.size(), 3u);
    EXPECT_EQ(few.scans[0].scan, 3) << "in the order chosen";
}

TEST(Overlay, LongCurvesAreThinnedKeepingTheirSpikes)
{
    std::vector<QPointF> points;
    for (int i = 0; i < 2199; ++i)
        points.emplace_back(6.0 + i * 0.0005, i == 1234 ? 4.0 : (i == 777 ? -1.0 : 0.5));
    const std::vector<QPointF> thin = Thinned(points);
    EXPECT_LE(thin.size(), size_t(MaxCurvePoints));
    EXPECT_GE(thin.size(), size_t(MaxCurvePoints) / 2);
    const auto has = [&thin](double y) {
        return std::any_of(thin.begin(), thin.end(), [y](const QPointF &p) { return p.y() == y; });
    };
    EXPECT_TRUE(has(4.0)) << "the spike stays";
    EXPECT_TRUE(has(-1.0));
    EXPECT_TRUE(std::is_sorted(thin.begin(), thin.end(),
        [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); }));
    EXPECT_EQ(thin.front().x(), points.front().x());
    const std::vector<QPointF> few(points.begin(), points.begin() + 300);
    EXPECT_EQ(Thinned(few), few) << "a short curve as it is";
}
