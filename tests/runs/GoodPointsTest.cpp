// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/GoodPoints.h"
#include "core/NumLib.h"
#include "runs/EquilibriumCheck.h"
#include "runs/LnCFit.h"
#include "runs/RunAnalysis.h"
#include "runs/RunReader.h"
#include "support/RunGenerator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

struct Row {
    float x, reading, flag;
};

Scan scanOf(std::optional<char> type, const std::vector<Row> &rows)
{
    Scan scan;
    if (type)
        scan.header = ScanHeader { *type, 1, 20.0, 16000, 0, 0.0, 280.0, 1 };
    for (const Row &row : rows) {
        scan.points.insert(scan.points.end(), { row.x, row.reading, row.flag });
        ++scan.numPoints;
    }
    return scan;
}

// The ideal scan of the ln c tests as a file's lines, with `extra` lines
// put in after its first `at` points.
QByteArray idealScanWith(const QByteArray &extra, int at)
{
    const QByteArray bytes
        = IdealScanBytes({ { 12000.0, 0.2 } }, 20000, 20.0, 6.8, 7.05, 0.001, 0.002, 7);
    if (extra.isEmpty())
        return bytes;
    QList<QByteArray> lines = bytes.split('\n');
    lines.insert(2 + at, extra.chopped(1));
    return lines.join('\n');
}

} // namespace

TEST(GoodPoints, PlaceHoldersRemovedPointsAndTheCeilingByScanType)
{
    using S = PointStanding;
    const struct {
        const char *name;
        std::optional<char> type;
        std::vector<Row> rows;
        std::vector<S> expected;
    } cases[] = {
        { "absorbance with deviations: a row with deviation 0 is a place-holder", 'R',
            { { 6.0f, 0.5f, 0.004f }, { 6.1f, 1.0f, 100.0f }, { 6.2f, 0.6f, -0.003f },
                { 6.3f, 2.0f, 0.005f }, { 6.4f, 4.0f, 100.0f } },
            { S::Good, S::PlaceHolder, S::Removed, S::AboveCeiling, S::PlaceHolder } },
        { "absorbance without deviations: every row is weighted alike", 'R',
            { { 6.0f, 0.5f, 100.0f }, { 6.1f, 1.0f, 100.0f }, { 6.2f, 1.6f, 100.0f } },
            { S::Good, S::Good, S::AboveCeiling } },
        { "removing a point does not make the others place-holders", 'R',
            { { 6.0f, 0.5f, 100.0f }, { 6.1f, 1.0f, -100.0f }, { 6.2f, 0.7f, 100.0f } },
            { S::Good, S::Removed, S::Good } },
        { "interference has neither ceiling nor place-holders", 'P',
            { { 6.0f, 3.0f, 0.01f }, { 6.1f, 1.0f, 100.0f }, { 6.2f, 2.0f, 0.0f } },
            { S::Good, S::Good, S::Removed } },
        { "a scan without a header has none either", std::nullopt,
            { { 6.0f, 3.0f, 0.01f }, { 6.1f, 1.0f, 100.0f } }, { S::Good, S::Good } },
        { "a reading that is no number is above any ceiling", 'R',
            { { 6.0f, NAN, 0.01f }, { 6.1f, 0.2f, NAN } }, { S::AboveCeiling, S::Removed } },
    };
    for (const auto &c : cases) {
        const Scan scan = scanOf(c.type, c.rows);
        EXPECT_EQ(PointStandings(scan, 1.5), c.expected) << c.name;
        size_t good = 0;
        for (S s : c.expected)
            good += s == S::Good ? 1 : 0;
        EXPECT_EQ(GoodPoints(scan, 1.5).size(), good) << c.name;
    }
}

TEST(GoodPoints, RowsTheInstrumentCouldNotMeasureMoveNoMass)
{
    // Two place-holder rows in a scan of 251 points read with deviations.
    TestFolder folder;
    const QString clean = folder.write(QStringLiteral("clean.RA1"), idealScanWith({}, 0));
    const QString holes = folder.write(QStringLiteral("holes.RA1"),
        idealScanWith("6.9004 1.00000E+00 0.00000E+00\n6.9008 1.00000E+00 0.00000E+00\n", 101));
    NumLib numlib;
    const ::Run run = ReadRun({ clean, holes }, numlib);
    ASSERT_EQ(run.scans.size(), 2u);
    ASSERT_EQ(run.scans[1].numPoints, run.scans[0].numPoints + 2);
    const RunAnalysis analysis = AnalyseRun(run);
    ASSERT_TRUE(analysis.fits[0].mass && analysis.fits[1].mass);
    EXPECT_EQ(analysis.fits[1].points, analysis.fits[0].points);
    EXPECT_DOUBLE_EQ(*analysis.fits[1].mass, *analysis.fits[0].mass);
}

TEST(GoodPoints, RangeEndsAreComparedAsTheRadiiAreHeld)
{
    EXPECT_EQ(DecimalRadius(double(6.1f)), 6.1);
    EXPECT_EQ(DecimalRadius(double(5.9003f)), 5.9003);
    EXPECT_EQ(RadiusBound(6.1), double(6.1f));

    // A typed end keeps the point written at it.
    std::vector<Row> rows;
    for (int k = 0; k <= 100; ++k)
        rows.push_back({ float(6.05 + 0.001 * k), 0.1f + 0.001f * float(k % 7), 0.004f });
    const Scan scan = scanOf('I', rows);
    RunOptions typed;
    typed.from = 6.1;
    typed.to = 6.12;
    const LnCFit fit = FitScan(scan, typed);
    EXPECT_EQ(fit.points, 21) << "6.1000 to 6.1200, both ends included";

    // The trimmed range keeps the point at first + trim wherever the grid
    // starts: 0.05 cm of a 0.001 cm grid is 50 steps, both ends included.
    const RunOptions trimmed;
    int kept = 0;
    for (int start = 0; start < 200; ++start) {
        std::vector<Row> grid;
        for (int k = 0; k <= 150; ++k)
            grid.push_back(
                { float((5900 + start + k) / 1000.0), 0.2f + 0.01f * float(k % 3), 0.004f });
        const Scan s = scanOf('I', grid);
        kept += FitScan(s, trimmed).points == 51 ? 1 : 0;
        const ScanCheck check = CheckScan(s, s, trimmed);
        EXPECT_EQ(check.points, 51) << "grid from " << start;
    }
    EXPECT_EQ(kept, 200);
}
