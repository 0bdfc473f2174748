// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ChannelSplit.h"
#include "core/NumLib.h"
#include "runs/EquilibriumCheck.h"
#include "runs/RunReader.h"
#include "support/RunGenerator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace
{

constexpr double Rounding = 1e-5; // radii are written to 4 decimals and read as floats
constexpr double Accuracy = 0.01; // cm: where a person would mark a meniscus or a bottom

const std::vector<SampleColumn> sixChannel { { 5.80, 6.12 }, { 6.35, 6.65 }, { 6.87, 7.20 } };

// Three columns whose readings stay below saturation up to their bottoms.
RunPlan threeColumnPlan(unsigned seed, double step)
{
    RunPlan plan;
    plan.speeds = { { 16000, 9, 10.0 }, { 20000, 9, 8.0 }, { 24000, 9, 6.0 } };
    plan.columns = sixChannel;
    plan.columnShiftPerSpeed = 0.004;
    plan.buoyantMass = 8000.0;
    plan.loading = 0.3;
    plan.step = step;
    plan.seed = seed;
    return plan;
}

::Run readRun(const RunPlan &plan)
{
    TestFolder folder;
    const QString root = folder.path(QStringLiteral("run"));
    EXPECT_TRUE(WriteRun(GenerateRun(plan), root));
    NumLib numlib;
    return ReadRun({ root }, numlib);
}

// The scans of each cell at each speed (an index into the plan's speeds).
std::map<std::pair<int, int>, std::vector<const Scan *>> settingsOf(
    const ::Run &run, const RunPlan &plan)
{
    std::map<std::pair<int, int>, std::vector<const Scan *>> settings;
    for (const Scan &scan : run.scans) {
        for (size_t s = 0; s < plan.speeds.size(); ++s) {
            if (scan.header && scan.header->speed == plan.speeds[s].rpm)
                settings[{ scan.header->cell, int(s) }].push_back(&scan);
        }
    }
    return settings;
}

// Every proposed column starts within `near` of the column's first sample
// point, and ends within `near` before `ends` (the bottoms, or where the
// readings saturate) or `past` beyond them.
void expectColumns(const std::vector<RadiusRange> &proposed,
    const std::vector<SampleColumn> &columns, const std::vector<double> &ends, double near,
    double past)
{
    ASSERT_EQ(proposed.size(), columns.size());
    for (size_t k = 0; k < columns.size(); ++k) {
        SCOPED_TRACE(k + 1);
        const double first = columns[k].meniscus;
        EXPECT_GE(proposed[k].from, first - near);
        EXPECT_LE(proposed[k].from, first + near);
        EXPECT_LE(proposed[k].to, ends[k] + past + Rounding);
        EXPECT_GE(proposed[k].to, ends[k] - near);
    }
}

std::vector<double> bottomsOf(const std::vector<SampleColumn> &columns)
{
    std::vector<double> bottoms;
    for (const SampleColumn &column : columns)
        bottoms.push_back(column.bottom);
    return bottoms;
}

// A scan of points (x, reading) with flag 100 and an absorbance header.
Scan scanOf(const std::vector<std::pair<float, float>> &points)
{
    Scan scan;
    scan.header = ScanHeader { 'R', 1, 20.0, 16000, 0, 0.0, 280.0, 1 };
    for (const auto &[x, c] : points) {
        scan.points.insert(scan.points.end(), { x, c, 100.0f });
        ++scan.numPoints;
    }
    return scan;
}

} // namespace

TEST(ChannelSplit, ColumnsAreFoundWhereTheyLieAtEachSpeed)
{
    for (const double step : { 0.003, 0.0012 }) {
        for (const unsigned seed : { 1u, 2u, 3u, 4u, 5u }) {
            SCOPED_TRACE(testing::Message() << "step " << step << ", seed " << seed);
            const RunPlan plan = threeColumnPlan(seed, step);
            const ::Run run = readRun(plan);
            std::map<int, std::vector<RadiusRange>> bySpeed;
            for (const auto &[setting, scans] : settingsOf(run, plan)) {
                SCOPED_TRACE(
                    testing::Message() << "cell " << setting.first << ", speed " << setting.second);
                const std::vector<SampleColumn> columns = ColumnsAt(plan, setting.second);
                const std::vector<RadiusRange> proposed = ProposeColumns(scans);
                expectColumns(proposed, columns, bottomsOf(columns), Accuracy, 0.0);
                bySpeed[setting.second] = proposed;
                // Each scan alone, stray place-holder rows and all, comes close.
                for (const Scan *scan : scans) {
                    SCOPED_TRACE(scan->name.toStdString());
                    expectColumns(ProposeColumns({ scan }), columns, bottomsOf(columns),
                        1.5 * Accuracy, 1.5 * Accuracy);
                }
            }
            ASSERT_EQ(bySpeed.size(), 3u);
            EXPECT_GT(bySpeed[2][0].from - bySpeed[0][0].from, 0.004) << "the menisci move";
        }
    }
}

TEST(ChannelSplit, ColumnsEndWhereTheirReadingsSaturateOrAtTheirBottoms)
{
    RunPlan plan = PublicRunPlan(); // up to 30000 rpm: the bottoms saturate
    plan.cells = { 1, 2 };
    plan.columns = sixChannel;
    plan.columnShiftPerSpeed = 0.004;
    plan.step = 0.003;
    const ::Run run = readRun(plan);
    for (const auto &[setting, scans] : settingsOf(run, plan)) {
        SCOPED_TRACE(
            testing::Message() << "cell " << setting.first << ", speed " << setting.second);
        const std::vector<SampleColumn> columns = ColumnsAt(plan, setting.second);
        // Where each column's clean readings end, by the median over the scans.
        std::vector<double> ends;
        for (const SampleColumn &column : columns) {
            std::vector<double> lasts;
            for (const Scan *scan : scans) {
                double last = column.meniscus;
                for (int i = 0; i < scan->numPoints && scan->x(i) <= column.bottom; ++i) {
                    if (scan->x(i) <= column.meniscus)
                        continue;
                    if (scan->reading(i) == 4.0f)
                        break;
                    last = scan->x(i);
                }
                lasts.push_back(last);
            }
            ends.push_back(Median(lasts));
            if (setting.second == 2) {
                EXPECT_LT(ends.back(), column.bottom - 0.01) << "saturated well before the bottom";
            }
        }
        // A column ends where its readings saturate, or at its bottom
        // where some of its scans show it before they saturate.
        const std::vector<RadiusRange> proposed = ProposeColumns(scans);
        ASSERT_EQ(proposed.size(), columns.size());
        for (size_t k = 0; k < columns.size(); ++k) {
            EXPECT_GE(proposed[k].to, ends[k] - Accuracy) << k + 1;
            EXPECT_LE(proposed[k].to, columns[k].bottom + plan.step) << k + 1;
        }
    }
}

TEST(ChannelSplit, OneColumnLeavesNothingToSplit)
{
    for (const bool two : { false, true }) {
        SCOPED_TRACE(two ? "two columns" : "one column");
        RunPlan plan;
        plan.speeds = { { 16000, 6, 12.0 }, { 24000, 6, 10.0 } };
        if (two)
            plan.columns = { { 5.90, 6.45 }, { 6.65, 7.20 } };
        const ::Run run = readRun(plan);
        for (const auto &[setting, scans] : settingsOf(run, plan)) {
            EXPECT_EQ(ProposeColumns(scans).size(), two ? 2u : 0u);
            for (const Scan *scan : scans)
                EXPECT_EQ(ProposeColumns({ scan }).size(), two ? 2u : 0u);
        }
    }
}

TEST(ChannelSplit, ScansWithoutColumnsGiveNoneAndStrayValuesChangeNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Scan empty;
    Scan claimsMore = scanOf({ { 6.0f, 0.5f } });
    claimsMore.numPoints = 1000;
    std::vector<std::pair<float, float>> flat, saturated, notFinite;
    for (int i = 0; i < 400; ++i) {
        const float x = 5.8f + 0.003f * float(i);
        flat.emplace_back(x, 0.5f);
        saturated.emplace_back(x, 4.0f);
        notFinite.emplace_back(i % 2 ? x : nan, i % 3 ? inf : nan);
    }
    const Scan flatScan = scanOf(flat), saturatedScan = scanOf(saturated);
    const Scan notFiniteScan = scanOf(notFinite);
    EXPECT_TRUE(ProposeColumns({}).empty());
    EXPECT_TRUE(ProposeColumns({ nullptr, &empty, &claimsMore }).empty());
    EXPECT_TRUE(ProposeColumns({ &flatScan, &saturatedScan, &notFiniteScan }).empty());

    // A generated scan reversed, with points that are not finite or are
    // deleted put in, gives the columns of the scan as written.
    RunPlan plan = threeColumnPlan(7, 0.003);
    plan.speeds = { { 16000, 3, 10.0 } };
    const ::Run run = readRun(plan);
    const Scan &scan = run.scans.front();
    const std::vector<RadiusRange> written = ProposeColumns({ &scan });
    ASSERT_EQ(written.size(), 3u);
    Scan stray = scan;
    stray.points.clear();
    for (int i = scan.numPoints - 1; i >= 0; --i) {
        stray.points.insert(stray.points.end(), { scan.x(i), scan.reading(i), scan.flag(i) });
        if (i % 10 == 0)
            stray.points.insert(stray.points.end(), { scan.x(i), i % 20 ? nan : 3.0f, -1.0f });
        if (i % 25 == 0)
            stray.points.insert(stray.points.end(), { i % 2 ? inf : scan.x(i), nan, 100.0f });
    }
    stray.numPoints = int(stray.points.size() / 3);
    const std::vector<RadiusRange> reversed = ProposeColumns({ &stray });
    ASSERT_EQ(reversed.size(), 3u);
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(reversed[k].from, written[k].from);
        EXPECT_EQ(reversed[k].to, written[k].to);
    }
}

TEST(ChannelSplit, FileNamesGetTheColumnBeforeTheirExtension)
{
    const struct {
        const char *path;
        int column;
        const char *expected;
    } rows[] = {
        { "00012.RA1", 1, "00012-c1.RA1" },
        { "00012.ra1", 3, "00012-c3.ra1" },
        { "scan", 2, "scan-c2" },
        { "a.b.dat", 1, "a.b-c1.dat" },
        { "run/2026/00012.RA1", 2, "run/2026/00012-c2.RA1" },
        { "run.tar.gz/00012", 1, "run.tar.gz/00012-c1" },
        { "run/.hidden", 1, "run/.hidden-c1" },
        { "", 1, "" },
    };
    for (const auto &row : rows)
        EXPECT_EQ(ColumnFileName(QString::fromUtf8(row.path), row.column),
            QString::fromUtf8(row.expected));
}

TEST(ChannelSplit, EachColumnTakesTheSourcePointsWithinIt)
{
    Scan source = scanOf({ { 6.30f, 0.3f }, { 6.10f, 0.1f }, { 6.20f, 0.2f }, { 6.40f, 0.4f },
        { 6.50f, 0.5f }, { 6.60f, 0.6f }, { 6.70f, 0.7f } });
    source.points[5] = -100.0f; // a deleted point goes with its column
    source.path = QStringLiteral("/data/run.tar.gz/2026/00012.RA1");
    source.name = QStringLiteral("00012.RA1");
    source.shown = QStringLiteral("2026/00012.RA1");
    source.archive = QStringLiteral("/data/run.tar.gz");
    source.member = QStringLiteral("2026/00012.RA1");
    source.description = "Sample";
    source.numComments = 1;
    source.comments = QByteArray(96, ' ');
    source.id = 7;
    source.edited = true;
    source.removedByRange = { 0, 1 };

    // Given out of order, with bounds as typed (6.30 below the float 6.3f);
    // the third and fourth hold no point.
    const std::vector<Scan> parts
        = SplitScan(source, { { 6.40, 6.60 }, { 6.65, 6.68 }, { 6.10, 6.30 }, { 6.90, 6.80 } });
    ASSERT_EQ(parts.size(), 4u);
    const std::vector<std::vector<int>> taken { { 0, 1, 2 }, { 3, 4, 5 }, {}, {} };
    for (size_t k = 0; k < parts.size(); ++k) {
        const Scan &part = parts[k];
        SCOPED_TRACE(k + 1);
        EXPECT_EQ(part.column, int(k) + 1);
        EXPECT_EQ(part.name, QStringLiteral("00012-c%1.RA1").arg(k + 1));
        EXPECT_EQ(part.path, QStringLiteral("/data/run.tar.gz/2026/00012-c%1.RA1").arg(k + 1));
        EXPECT_EQ(part.shown, QStringLiteral("2026/00012-c%1.RA1").arg(k + 1));
        EXPECT_EQ(part.archive, source.archive);
        EXPECT_EQ(part.member, source.member);
        EXPECT_EQ(part.description, source.description);
        EXPECT_EQ(part.header, source.header);
        EXPECT_EQ(part.numComments, 1);
        EXPECT_EQ(part.comments, source.comments);
        EXPECT_EQ(part.id, 0u);
        EXPECT_TRUE(part.edited);
        EXPECT_TRUE(part.removedByRange.empty());
        ASSERT_EQ(part.numPoints, int(taken[k].size()));
        ASSERT_EQ(part.points.size(), 3 * taken[k].size());
        for (int i = 0; i < part.numPoints; ++i) {
            const int from = taken[k][size_t(i)];
            EXPECT_EQ(part.x(i), source.x(from));
            EXPECT_EQ(part.reading(i), source.reading(from));
            EXPECT_EQ(part.flag(i), source.flag(from));
        }
    }
}

TEST(ChannelSplit, TheColumnsOfAProposalHoldTheScanPointsWithinThem)
{
    const RunPlan plan = threeColumnPlan(5, 0.0012);
    const ::Run run = readRun(plan);
    for (const auto &[setting, scans] : settingsOf(run, plan)) {
        const std::vector<RadiusRange> columns = ProposeColumns(scans);
        ASSERT_EQ(columns.size(), 3u);
        for (const Scan *scan : scans) {
            std::vector<float> inside;
            for (int i = 0; i < scan->numPoints; ++i) {
                for (const RadiusRange &column : columns) {
                    if (scan->x(i) >= column.from && scan->x(i) <= column.to)
                        inside.insert(
                            inside.end(), { scan->x(i), scan->reading(i), scan->flag(i) });
                }
            }
            std::vector<float> joined;
            for (const Scan &part : SplitScan(*scan, columns)) {
                EXPECT_GT(part.numPoints, 80);
                joined.insert(joined.end(), part.points.begin(), part.points.end());
            }
            EXPECT_EQ(joined, inside) << scan->name.toStdString();
        }
    }
}
