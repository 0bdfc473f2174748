// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/SolutionColumn.h"

#include "core/NumLib.h"
#include "runs/ChannelPlan.h"
#include "runs/GoodPoints.h"
#include "runs/RunAnalysis.h"
#include "runs/RunEdits.h"
#include "runs/RunReader.h"
#include "support/RunGenerator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numeric>
#include <random>

namespace
{

constexpr double Accuracy = 0.01; // cm: where a person marks them

struct Truth {
    ::Run run;
    std::map<QString, std::vector<SampleColumn>> columns; // by file name
};

Truth readTruth(const RunPlan &plan)
{
    const GeneratedRun generated = GenerateRun(plan);
    Truth truth;
    for (const GeneratedScan &scan : generated.scans)
        truth.columns[QFileInfo(scan.relativePath).fileName()] = scan.columns;
    TestFolder folder;
    const QString root = folder.path(QStringLiteral("run"));
    EXPECT_TRUE(WriteRun(generated, root));
    NumLib numlib;
    truth.run = ReadRun({ root }, numlib);
    return truth;
}

// A plan whose column lies somewhere else at every seed.
RunPlan variedPlan(unsigned seed)
{
    std::mt19937 random(seed * 7919u);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    RunPlan plan;
    plan.seed = seed;
    plan.realArtifacts = true;
    const double meniscus = 6.55 + 0.3 * uniform(random);
    plan.columns = { { meniscus, meniscus + 0.18 + 0.25 * uniform(random) } };
    plan.step = 0.001 + 0.002 * uniform(random);
    plan.speeds = { { 16000, 8, 10.0 }, { 24000, 6, 8.0 } };
    plan.columnShiftPerSpeed = 0.003;
    return plan;
}

// The worst error of the columns found against the truth, over every group;
// every group must have its column.
double worstError(const Truth &truth, const RunAnalysis &analysis, int &groups,
    bool allFound = true, int *missing = nullptr)
{
    double worst = 0.0;
    for (size_t g = 0; g < analysis.groups.groups.size(); ++g) {
        const ScanGroup &group = analysis.groups.groups[g];
        const Scan &last = truth.run.scans[size_t(group.last())];
        QString name = last.name;
        if (group.column > 0)
            name.remove(QStringLiteral("-c%1").arg(group.column));
        const std::vector<SampleColumn> &columns = truth.columns.at(name);
        const SampleColumn &expected = columns[size_t(std::max(group.column, 1) - 1)];
        const std::optional<SolutionColumn> &found = analysis.columns[g];
        if (allFound) {
            EXPECT_TRUE(found) << last.name.toStdString();
        }
        if (!found) {
            if (missing)
                ++*missing;
            // Its meniscus alone, when told, is as right.
            if (const std::optional<double> &meniscus = analysis.menisci[g]) {
                EXPECT_NEAR(*meniscus, expected.meniscus, Accuracy) << last.name.toStdString();
                worst = std::max(worst, std::fabs(*meniscus - expected.meniscus));
                const ScanCheck &check = analysis.checks[size_t(group.scans.front())];
                EXPECT_DOUBLE_EQ(check.lo, RadiusBound(*meniscus + MeniscusMargin));
            }
            continue;
        }
        ++groups;
        worst = std::max({ worst, std::fabs(found->meniscus - expected.meniscus),
            std::fabs(found->bottom - expected.bottom) });
        EXPECT_NEAR(found->meniscus, expected.meniscus, Accuracy) << last.name.toStdString();
        EXPECT_NEAR(found->bottom, expected.bottom, Accuracy) << last.name.toStdString();
    }
    return worst;
}

} // namespace

TEST(SolutionColumn, IsFoundWithinAHundredthOfACentimetreOnGeneratedRuns)
{
    struct Kind {
        const char *name;
        RunPlan (*plan)(unsigned seed);
        // A sample saturated at every wavelength hides its base: such a
        // setting may have no column, never a wrong one. At least this
        // share of the settings has one.
        double found = 1.0;
    };
    const Kind kinds[] = {
        { "saturated bottom",
            [](unsigned seed) {
                RunPlan plan = variedPlan(seed);
                plan.saturatedBottom = true;
                plan.loading = 1.2;
                return plan;
            },
            0.3 },
        // Where every wavelength of a speed reads above 2 at the bottom,
        // saturation and the base may look alike: such a setting may have
        // no column too.
        { "absorbance", variedPlan, 0.8 },
        { "interference",
            [](unsigned seed) {
                RunPlan plan = variedPlan(seed);
                plan.interference = true;
                plan.loading = 3.0;
                plan.noise = 0.01;
                plan.step = 0.0007;
                plan.evenSteps = true;
                plan.wavelengths = { 660 };
                return plan;
            } },
    };
    constexpr unsigned Seeds = 40;
    for (const Kind &kind : kinds) {
        double worst = 0.0;
        int groups = 0;
        int missing = 0;
        for (unsigned seed = 1; seed <= Seeds; ++seed) {
            SCOPED_TRACE(std::string(kind.name) + ", seed " + std::to_string(seed));
            const Truth truth = readTruth(kind.plan(seed));
            worst = std::max(worst,
                worstError(truth, AnalyseRun(truth.run), groups, kind.found == 1.0, &missing));
        }
        std::printf("%s: %d settings with a column, %d without, worst error %.4f cm\n", kind.name,
            groups, missing, worst);
        EXPECT_GE(groups, kind.found * (groups + missing)) << kind.name;
    }
}

TEST(SolutionColumn, SixChannelScansSplitIntoTheirSampleColumnsEachWithItsColumn)
{
    constexpr unsigned Seeds = 20;
    double worst = 0.0;
    int groups = 0;
    for (unsigned seed = 1; seed <= Seeds; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RunPlan plan = SixChannelPlan();
        plan.realArtifacts = true;
        plan.seed = seed;
        Truth truth = readTruth(plan);
        std::vector<int> all(truth.run.scans.size());
        std::iota(all.begin(), all.end(), 0);
        const std::vector<ChannelSetting> proposals = ProposeChannels(truth.run, all);
        ASSERT_EQ(proposals.size(), plan.speeds.size() * plan.cells.size());
        for (const ChannelSetting &proposal : proposals)
            EXPECT_EQ(proposal.columns.size(), 3u) << proposal.speed;
        RunEdits edits(truth.run);
        ASSERT_TRUE(SplitChannels(edits, truth.run, proposals));
        worst = std::max(worst, worstError(truth, AnalyseRun(truth.run), groups));
    }
    std::printf("six-channel: %d split settings, worst error %.4f cm\n", groups, worst);
}

TEST(SolutionColumn, TheCheckAndTheFitsTakeTheFitLimitsUnlessAnEndIsSet)
{
    RunPlan plan = variedPlan(3);
    plan.cells = { 1 };
    plan.speeds = { { 16000, 8, 2.0 } };
    plan.wavelengths = { 280 };
    const Truth truth = readTruth(plan);
    RunAnalysis analysis = AnalyseRun(truth.run);
    ASSERT_EQ(analysis.verdicts.size(), 1u);
    ASSERT_TRUE(analysis.columns[0]);
    const SolutionColumn column = *analysis.columns[0];
    EXPECT_NEAR(column.inner - column.meniscus, MeniscusMargin, 1e-9);
    EXPECT_NEAR(column.bottom - column.outer, BottomMargin, 1e-9);
    const int first = analysis.groups.groups[0].scans[0];
    EXPECT_DOUBLE_EQ(analysis.checks[size_t(first)].lo, RadiusBound(column.inner));
    EXPECT_DOUBLE_EQ(analysis.checks[size_t(first)].hi, RadiusBound(column.outer));
    const LnCFit fit = FitScan(truth.run.scans[size_t(first)], analysis.optionsOfScan(first));
    EXPECT_GE(fit.fitted.front().x, RadiusBound(column.inner));
    EXPECT_LE(fit.fitted.back().x, RadiusBound(column.outer));

    // An end typed replaces the limit it sets; the other stays.
    RunOptions typed;
    typed.to = column.outer - 0.05;
    analysis = AnalyseRun(truth.run, typed);
    EXPECT_DOUBLE_EQ(analysis.checks[size_t(first)].lo, RadiusBound(column.inner));
    EXPECT_DOUBLE_EQ(analysis.checks[size_t(first)].hi, RadiusBound(*typed.to));

    // A column set by hand replaces the one found, for its setting alone.
    RunOptions byHand;
    byHand.limits.push_back(
        LimitsOf(analysis.groups.groups[0], ColumnBetween(column.meniscus + 0.05, column.bottom)));
    analysis = AnalyseRun(truth.run, byHand);
    ASSERT_TRUE(analysis.columns[0]);
    EXPECT_TRUE(analysis.columns[0]->byHand);
    EXPECT_EQ(analysis.found[0], column);
    EXPECT_DOUBLE_EQ(analysis.checks[size_t(first)].lo, RadiusBound(column.inner + 0.05));
}

TEST(SolutionColumn, ScansWithoutTheArtifactsGiveNoColumn)
{
    const auto estimates = [](const std::vector<float> &points) {
        return EstimateColumns(points.data(), int(points.size() / 3), true);
    };
    const auto scan = [](int count, const auto &reading) {
        std::vector<float> points;
        for (int i = 0; i < count; ++i)
            points.insert(points.end(), { 6.0f + 0.003f * float(i), reading(i), 0.005f });
        return points;
    };
    const struct {
        const char *name;
        std::vector<float> points;
    } rows[] = {
        { "flat", scan(300, [](int) { return 0.5f; }) },
        { "all air", scan(300, [](int i) { return 0.002f * float((i * 37) % 5) - 0.004f; }) },
        { "all saturated", scan(300, [](int) { return 4.0f; }) },
        { "a single spike", scan(300, [](int i) { return i == 150 ? 2.0f : 0.0f; }) },
        { "shorter than the artifacts", scan(12, [](int i) { return i == 5 ? -2.0f : 0.3f; }) },
        { "cut to the column", scan(300, [](int i) { return 0.2f * std::exp(0.01f * float(i)); }) },
        { "nothing", {} },
    };
    for (const auto &row : rows)
        EXPECT_TRUE(estimates(row.points).empty()) << row.name;
    // Whatever a scan holds, a column lies within it.
    std::mt19937 random(5);
    std::uniform_real_distribution<float> any(-3.0f, 5.0f);
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<float> points
            = scan(400, [&](int i) { return i % 50 < 3 ? any(random) : 0.4f; });
        for (const ColumnEstimate &column : estimates(points)) {
            EXPECT_GE(column.meniscus, 6.0);
            EXPECT_LE(column.reach, 6.0 + 0.003 * 399 + 1e-5);
            EXPECT_LE(column.meniscus, column.reach);
        }
    }
}

TEST(SolutionColumn, AVerdictChangesOnceTheAirAndTheSpikesAreOutsideTheRange)
{
    // A setting still far from equilibrium, its scans starting as real ones
    // do, a centimetre inside the meniscus: over the whole scan the air,
    // alike in every scan, outweighs the solution and the setting looks
    // settled.
    RunPlan plan = variedPlan(4);
    plan.cells = { 1 };
    plan.speeds = { { 16000, 10, 30.0 } };
    plan.wavelengths = { 280 };
    Truth truth = readTruth(plan);
    std::mt19937 random(11);
    std::normal_distribution<float> noise(0.0f, 0.004f);
    for (Scan &scan : truth.run.scans) {
        std::vector<float> air;
        for (float x = scan.x(0) - 1.0f; x < scan.x(0) - 0.001f; x += 0.002f)
            air.insert(air.end(), { x, noise(random), 0.005f });
        scan.points.insert(scan.points.begin(), air.begin(), air.end());
        scan.numPoints = int(scan.points.size() / 3);
    }
    const RunAnalysis within = AnalyseRun(truth.run);
    ASSERT_TRUE(within.columns[0]);
    EXPECT_NEAR(within.columns[0]->meniscus, truth.columns.begin()->second[0].meniscus, Accuracy);
    EXPECT_FALSE(within.verdicts[0].reached);

    RunAnalysis whole = within;
    whole.columns.assign(whole.columns.size(), std::nullopt);
    CheckGroups(truth.run, whole);
    EXPECT_TRUE(whole.verdicts[0].reached) << "the air alone would call it settled";
}
