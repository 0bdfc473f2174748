// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/EquilibriumCheck.h"
#include "core/NumLib.h"
#include "runs/RunAnalysis.h"
#include "runs/RunReader.h"
#include "runs/Verdict.h"
#include "support/RunGenerator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

// A scan of points (x, reading), flag 100, with a header of this type
// (intensity: no ceiling unless a test asks for absorbance).
Scan scanOf(const std::vector<std::pair<double, double>> &points, char type = 'I')
{
    Scan scan;
    scan.header = ScanHeader { type, 1, 20.0, 16000, 0, 0.0, 280.0, 1 };
    for (const auto &[x, c] : points) {
        scan.points.insert(scan.points.end(), { float(x), float(c), 100.0f });
        ++scan.numPoints;
    }
    return scan;
}

// x = 6 + k/64 and readings k/8 + extra(k): exact in floats.
Scan lineScan(int count, const std::function<double(int)> &extra, char type = 'I')
{
    std::vector<std::pair<double, double>> points;
    for (int k = 0; k < count; ++k)
        points.emplace_back(6.0 + k / 64.0, k / 8.0 + extra(k));
    return scanOf(points, type);
}

RunPlan relaxingPlan(double tauHours)
{
    RunPlan plan;
    plan.cells = { 1 };
    plan.speeds = { { 16000, 36, tauHours } };
    plan.wavelengths = { 280, 260, 250 };
    return plan;
}

// The analysis of a generated run, read from its files.
RunAnalysis analyse(const RunPlan &plan, ::Run &run)
{
    TestFolder folder;
    WriteRun(GenerateRun(plan), folder.path(QStringLiteral("run")));
    NumLib numlib;
    run = ReadRun({ folder.path(QStringLiteral("run")) }, numlib);
    return AnalyseRun(run);
}

} // namespace

TEST(EquilibriumCheck, MediansOfEvenCountsAndTheNoiseOfSecondDifferences)
{
    std::vector<double> even { 4, 1, 3, 2 };
    EXPECT_EQ(Median(even), 2.5);
    std::vector<double> odd { 5, -1, 3 };
    EXPECT_EQ(Median(odd), 3.0);
    std::vector<double> two { -1, 1 };
    EXPECT_EQ(Median(two), 0.0);

    // s = (1, -2, 1, 0): median 0.5; |s - 0.5| = (0.5, 2.5, 0.5, 0.5): median 0.5.
    EXPECT_DOUBLE_EQ(*NoiseOf({ 0, 0, 1, 0, 0, 0 }), 1.4826 * 0.5 / std::sqrt(6.0));
    EXPECT_EQ(*NoiseOf({ 1, 2, 3 }), 0.0) << "a straight line has no noise";
    EXPECT_FALSE(NoiseOf({ 1, 2 })) << "no second difference";
}

TEST(EquilibriumCheck, ReadingsOfTheLastScanBetweenItsPoints)
{
    const std::vector<RadialPoint> last { { 6.0, 1.0 }, { 6.1, 2.0 }, { 6.2, 4.0 } };
    EXPECT_EQ(*ReadingAt(last, 6.1), 2.0) << "at an equal radius, that point's reading";
    EXPECT_EQ(*ReadingAt(last, 6.0), 1.0);
    EXPECT_EQ(*ReadingAt(last, 6.2), 4.0);
    EXPECT_NEAR(*ReadingAt(last, 6.15), 3.0, 1e-12);
    EXPECT_FALSE(ReadingAt(last, 5.99));
    EXPECT_FALSE(ReadingAt(last, 6.21));
    EXPECT_FALSE(ReadingAt({}, 6.0));
}

TEST(EquilibriumCheck, AHandWorkedScoreTrendAndOffset)
{
    // S = L + 0.25 + 1/16 at even k, - 1/16 at odd k, over 40 points; with
    // the trim, k = 4..35 are compared (32 points).
    const Scan last = lineScan(40, [](int) { return 0.0; });
    const Scan scan = lineScan(40, [](int k) { return 0.25 + (k % 2 == 0 ? 1.0 : -1.0) / 16.0; });
    const ScanCheck check = CheckScan(scan, last, RunOptions());
    EXPECT_EQ(check.points, 32);
    // The ends as the radii are held: in single precision.
    EXPECT_EQ(check.lo, double(6.05f));
    EXPECT_EQ(check.hi, double(6.559375f));
    // d takes 0.1875 and 0.3125 sixteen times each: the median of an even
    // count is their mean.
    EXPECT_DOUBLE_EQ(check.offset, 0.25);
    // |e| = 1/16 everywhere: spread 1.4826/16. S's second differences are
    // +-0.25: noise 1.4826 * 0.25 / sqrt(6); L is a straight line: noise 0.
    ASSERT_TRUE(check.score);
    EXPECT_NEAR(*check.score, std::sqrt(6.0) / 4.0, 1e-12);
    // e = (-1)^k / 16 against x: slope -64/2728 per cm, times (hi - lo).
    EXPECT_NEAR(check.trend, -64.0 / 2728.0 * (double(6.559375f) - double(6.05f)), 1e-12);
}

TEST(EquilibriumCheck, NoScanCanBeScoredOnTooFewPoints)
{
    const Scan last = lineScan(40, [](int) { return 0.0; });
    const struct {
        const char *name;
        Scan scan;
        RunOptions options;
        int points;
    } rows[] = {
        { "19 points in the range", lineScan(27, [](int) { return 0.01; }), RunOptions(), 19 },
        { "no overlap with the last",
            scanOf({ { 5.0, 0.1 }, { 5.1, 0.2 }, { 5.2, 0.3 }, { 5.3, 0.4 } }), RunOptions(), 0 },
        { "a ceiling below every reading of an absorbance scan",
            lineScan(
                40, [](int k) { return 2.0 - k / 8.0; }, 'R'),
            RunOptions { std::nullopt, std::nullopt, 0.05, 1.5, 0.73, 1.0, false, {} }, 0 },
        { "a range by hand beyond the last's points: those left out",
            lineScan(50, [](int) { return 0.01; }),
            RunOptions { 6.0 + 26.0 / 64.0, 7.0, 0.05, 1.5, 0.73, 1.0, false, {} }, 14 },
    };
    for (const auto &row : rows) {
        const ScanCheck check = CheckScan(row.scan, last, row.options);
        EXPECT_FALSE(check.score) << row.name;
        EXPECT_EQ(check.points, row.points) << row.name;
    }
    // The ceiling is for absorbance alone: the same readings of an intensity
    // scan are compared.
    const Scan bright = lineScan(40, [](int k) { return 2.0 - k / 8.0; });
    EXPECT_EQ(CheckScan(bright, last, RunOptions()).points, 32);
}

TEST(EquilibriumCheck, AVerdictNeedsTheThreeScansBeforeTheLastWithinTheLimit)
{
    const auto verdictOf = [](const std::vector<std::optional<double>> &scores) {
        std::vector<int> scans;
        std::vector<ScanCheck> checks;
        for (size_t i = 0; i <= scores.size(); ++i) {
            scans.push_back(int(i));
            ScanCheck check;
            if (i < scores.size())
                check.score = scores[i];
            checks.push_back(check);
        }
        return VerdictOf(scans, checks);
    };
    const struct {
        const char *name;
        std::vector<std::optional<double>> scores; // the last scan follows
        bool reached;
        int since;
    } rows[] = {
        { "settled from the third", { 5.0, 3.0, 1.5, 1.2, 0.9 }, true, 2 },
        { "2.0 is within the limit", { 2.0, 2.0, 2.0 }, true, 0 },
        { "an early quiet scan does not count", { 1.0, 3.0, 1.0, 1.0, 1.0 }, true, 2 },
        { "one of the three above", { 1.0, 1.0, 2.01, 1.0, 1.0 }, false, -1 },
        { "a scan without a score counts as above", { 1.0, 1.0, std::nullopt, 1.0 }, false, -1 },
        { "three scans are too few", { 1.0, 1.0 }, false, -1 },
    };
    for (const auto &row : rows) {
        const GroupVerdict verdict = verdictOf(row.scores);
        EXPECT_EQ(verdict.reached, row.reached) << row.name;
        EXPECT_EQ(verdict.since, row.since) << row.name;
    }
}

TEST(EquilibriumCheck, SettingsThatSettleAreJudgedReachedAndOthersNot)
{
    // Three wavelengths of one cell at one speed, 12 scans each 6 h apart,
    // each scan with its own baseline offset and noise, place-holder rows
    // and saturation at the bottom.
    ::Run quick;
    const RunAnalysis settled = analyse(relaxingPlan(6.0), quick);
    ::Run slow;
    const RunAnalysis changing = analyse(relaxingPlan(150.0), slow);
    ASSERT_EQ(settled.groups.groups.size(), 3u);
    ASSERT_EQ(changing.groups.groups.size(), 3u);
    for (size_t g = 0; g < 3; ++g) {
        EXPECT_TRUE(settled.verdicts[g].reached)
            << VerdictText(quick, settled, int(g)).toStdString();
        EXPECT_FALSE(changing.verdicts[g].reached);
        EXPECT_TRUE(
            VerdictText(slow, changing, int(g)).startsWith(QStringLiteral("Not at equilibrium: ")));
        // Settled scans differ from the last by about the noise.
        const ScanGroup &group = settled.groups.groups[g];
        const ScanCheck &late = settled.checks[size_t(group.scans[group.scans.size() - 2])];
        ASSERT_TRUE(late.score);
        EXPECT_GT(*late.score, 0.5);
        EXPECT_LT(*late.score, 1.6);
        // The early scans, hours after the speed was set, are far from it.
        const ScanCheck &early = settled.checks[size_t(group.scans.front())];
        ASSERT_TRUE(early.score);
        EXPECT_GT(*early.score, 5.0);
        EXPECT_NE(early.offset, 0.0);
    }
    const QString text = VerdictText(quick, settled, 0);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Equilibrium reached: scans since ")));
    EXPECT_TRUE(text.endsWith(QStringLiteral(" h) differ from the last by noise alone")));
}

TEST(EquilibriumCheck, AnOutlierLateInASettingIsNamed)
{
    RunPlan plan = relaxingPlan(6.0);
    plan.outlierInSetting = 10; // the scan just before the last of each setting
    plan.outlierChange = 0.06;
    ::Run run;
    const RunAnalysis analysis = analyse(plan, run);
    for (int g = 0; g < 3; ++g) {
        const ScanGroup &group = analysis.groups.groups[size_t(g)];
        EXPECT_FALSE(analysis.verdicts[size_t(g)].reached);
        const Scan &outlier = run.scans[size_t(group.scans[10])];
        const double score = *analysis.checks[size_t(group.scans[10])].score;
        EXPECT_EQ(VerdictText(run, analysis, g),
            QStringLiteral("Not at equilibrium: %1 still differs from the last by %2 times the "
                           "noise")
                .arg(outlier.name, QString::number(score, 'f', 1)));
    }
}
