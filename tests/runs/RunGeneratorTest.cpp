// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RunGenerator.h"
#include "core/NumLib.h"
#include "runs/RunReader.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <cmath>
#include <map>
#include <numbers>

namespace
{

// A reading this far from the solution's is an artifact, not noise.
constexpr double ArtifactDistance = 0.12;

::Run writeAndRead(const GeneratedRun &generated, const TestFolder &folder)
{
    const QString root = folder.path(QStringLiteral("run"));
    EXPECT_TRUE(WriteRun(generated, root));
    NumLib numlib;
    return ReadRun({ root }, numlib);
}

std::map<QString, const Scan *> byName(const ::Run &run)
{
    std::map<QString, const Scan *> scans;
    for (const Scan &scan : run.scans)
        scans[scan.name] = &scan;
    return scans;
}

// The radius as written, to 4 decimals, for comparing with a column's ends.
double written(float x)
{
    return std::round(double(x) * 1e4) / 1e4;
}

RunPlan interferencePlan()
{
    RunPlan plan;
    plan.interference = true;
    plan.loading = 3.0;
    plan.noise = 0.01;
    return plan;
}

} // namespace

TEST(RunGenerator, ReadBackTheSolutionLiesBetweenTheMeniscusAndTheBottomAndArtifactsJustOutside)
{
    RunPlan real;
    real.realArtifacts = true;
    RunPlan saturated = real;
    saturated.saturatedBottom = true;
    saturated.loading = 1.0;
    RunPlan evenSeed7 = real;
    evenSeed7.evenSteps = true;
    evenSeed7.seed = 7;
    RunPlan sixChannel = SixChannelPlan();
    sixChannel.realArtifacts = true;
    RunPlan sixChannelSeed3 = sixChannel;
    sixChannelSeed3.seed = 3;
    const struct {
        const char *name;
        RunPlan plan;
    } rows[] = {
        { "simple artifacts", RunPlan() },
        { "simple six channels", SixChannelPlan() },
        { "two cells", real },
        { "even steps, seed 7", evenSeed7 },
        { "six channels", sixChannel },
        { "six channels, seed 3", sixChannelSeed3 },
        { "saturated bottom", saturated },
        { "interference", interferencePlan() },
        { "velocity", VelocityRunPlan() },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        TestFolder folder;
        const GeneratedRun generated = GenerateRun(row.plan);
        const ::Run run = writeAndRead(generated, folder);
        ASSERT_TRUE(run.failures.empty()) << run.failures.front().reason.toStdString();
        const std::map<QString, const Scan *> scans = byName(run);
        int followed = 0;
        int noisySaturation = 0;
        for (const GeneratedScan &expected : generated.scans) {
            SCOPED_TRACE(expected.relativePath.toStdString());
            ASSERT_EQ(scans.count(expected.relativePath), 1u);
            const Scan &scan = *scans.at(expected.relativePath);
            ASSERT_EQ(scan.numPoints, expected.points);
            ASSERT_EQ(expected.columns.size(), row.plan.columns.size());
            for (const SampleColumn &column : expected.columns) {
                int lastInside = -1; // just inside the meniscus: the sample's spike
                int firstOutside = -1; // the base's artifact begins
                int from = -1;
                int to = -1;
                for (int i = 0; i < scan.numPoints; ++i) {
                    const double x = written(scan.x(i));
                    if (x <= column.meniscus) {
                        lastInside = i;
                    } else if (x < column.bottom) {
                        from = from < 0 ? i : from;
                        to = i;
                    } else if (firstOutside < 0) {
                        firstOutside = i;
                    }
                }
                ASSERT_GE(lastInside, 0);
                ASSERT_GT(to, from + 20);
                for (int i = from; i <= to; ++i) {
                    const double solution = expected.solution[size_t(i)];
                    if (std::isnan(solution)) {
                        // A place-holder, or the instrument's saturation.
                        noisySaturation += scan.reading(i) >= 3.0f && scan.reading(i) < 4.0f;
                        continue;
                    }
                    EXPECT_NEAR(scan.reading(i), solution, 6.0 * row.plan.noise + 1e-4)
                        << scan.x(i);
                    ++followed;
                }
                const auto nearest = [&](int i) {
                    for (int step = 0; step <= to - from; ++step) {
                        for (int j : { i - step, i + step }) {
                            if (j >= from && j <= to && !std::isnan(expected.solution[size_t(j)]))
                                return expected.solution[size_t(j)];
                        }
                    }
                    return std::nan("");
                };
                EXPECT_GT(std::fabs(scan.reading(lastInside) - nearest(from)), ArtifactDistance)
                    << "the sample's meniscus spike ends at " << scan.x(lastInside);
                if (row.plan.placeHolders && firstOutside >= 0) {
                    const bool saturatedRow = scan.reading(firstOutside) == 4.0f;
                    if (!saturatedRow) {
                        const double before = nearest(to);
                        if (!std::isnan(before)) {
                            EXPECT_GT(
                                std::fabs(scan.reading(firstOutside) - before), ArtifactDistance)
                                << "the base begins at " << scan.x(firstOutside);
                        }
                    }
                }
            }
        }
        EXPECT_GT(followed, 100);
        EXPECT_EQ(noisySaturation > 0, row.plan.saturatedBottom) << noisySaturation;
    }
}

TEST(RunGenerator, InterferenceScansAreTypePWithRadiusAndFringesAtEvenSteps)
{
    TestFolder folder;
    const GeneratedRun generated = GenerateRun(interferencePlan());
    const ::Run run = writeAndRead(generated, folder);
    ASSERT_EQ(run.scans.size(), generated.scans.size());
    bool negativeOffset = false;
    bool positiveOffset = false;
    for (const GeneratedScan &expected : generated.scans) {
        SCOPED_TRACE(expected.relativePath.toStdString());
        EXPECT_TRUE(expected.relativePath.toUpper().contains(QStringLiteral(".IP")));
        negativeOffset |= expected.offset < 0.0;
        positiveOffset |= expected.offset > 0.0;
        const QList<QByteArray> lines = expected.bytes.split('\n');
        ASSERT_GT(lines.size(), 300);
        EXPECT_EQ(lines[2].trimmed().split(' ').size(), 2) << lines[2].toStdString();
        const Scan &scan = *byName(run).at(expected.relativePath);
        ASSERT_TRUE(scan.header);
        EXPECT_EQ(scan.header->type, 'P');
        for (int i = 1; i < scan.numPoints; ++i)
            ASSERT_NEAR(scan.x(i) - scan.x(i - 1), 0.0007, 1e-5) << scan.x(i);
    }
    EXPECT_TRUE(negativeOffset && positiveOffset) << "offsets of either sign";
}

TEST(RunGenerator, AVelocityBoundaryMovesOutWithTimeAsItsSedimentationSays)
{
    const RunPlan plan = VelocityRunPlan();
    TestFolder folder;
    const GeneratedRun generated = GenerateRun(plan);
    const ::Run run = writeAndRead(generated, folder);
    ASSERT_EQ(run.scans.size(), 40u);
    const double omega = 2.0 * std::numbers::pi * plan.speeds.front().rpm / 60.0;
    const double s = plan.velocity->sedimentation * 1e-13;
    const double meniscus = plan.columns.front().meniscus;
    double lastBoundary = 0.0;
    int64_t lastTime = 0;
    for (const GeneratedScan &expected : generated.scans) {
        SCOPED_TRACE(expected.relativePath.toStdString());
        const Scan &scan = *byName(run).at(expected.relativePath);
        ASSERT_TRUE(scan.header);
        const double gap = double(scan.header->time - lastTime) / 60.0;
        if (lastTime > 0) {
            EXPECT_TRUE(gap > 2.0 && gap < 5.0) << gap << " minutes";
        }
        lastTime = scan.header->time;
        // The rotor took a minute to reach its speed.
        EXPECT_NEAR(scan.header->omega2t, omega * omega * double(scan.header->time - 60),
            1e-3 * scan.header->omega2t);
        // Half the plateau, thinned by radial dilution, where the boundary is.
        const double half
            = 0.5 * plan.loading * std::exp(-2.0 * s * scan.header->omega2t) + expected.offset;
        double boundary = 0.0;
        for (int i = 0; i < scan.numPoints && boundary == 0.0; ++i) {
            if (scan.x(i) > meniscus + 0.01 && scan.x(i) < plan.columns.front().bottom
                && scan.reading(i) > half)
                boundary = scan.x(i);
        }
        EXPECT_NEAR(boundary, meniscus * std::exp(s * scan.header->omega2t), 0.01);
        EXPECT_GT(boundary, lastBoundary);
        lastBoundary = boundary;
    }
}

TEST(RunGenerator, TheProgramWritesEachScansColumnsBesideTheRunAndTheReaderLeavesThemAlone)
{
    const QString tool
        = QCoreApplication::applicationDirPath() + QStringLiteral("/kelvane_generate_run");
    const struct {
        const char *kind;
        int columns;
        QString extension;
    } rows[] = {
        { "small", 1, QStringLiteral(".RA") },
        { "three-columns", 3, QStringLiteral(".RA") },
        { "interference", 1, QStringLiteral(".IP") },
        { "velocity", 1, QStringLiteral(".IP") },
        { "saturated-bottom", 1, QStringLiteral(".RA") },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.kind);
        TestFolder folder;
        const QString root = folder.path(QStringLiteral("run"));
        QProcess process;
        process.start(tool, { root, QString::fromLatin1(row.kind) });
        ASSERT_TRUE(process.waitForFinished(120000));
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

        const QList<QByteArray> lines
            = readFileBytes(QDir(root).filePath(QStringLiteral("columns.csv"))).split('\n');
        ASSERT_GT(lines.size(), 2);
        EXPECT_EQ(lines.front(), "file,cell,column,speed_rpm,meniscus_cm,bottom_cm");
        EXPECT_EQ(lines.back(), "");
        NumLib numlib;
        const ::Run run = ReadRun({ root }, numlib);
        EXPECT_TRUE(run.failures.empty()) << run.failures.front().path.toStdString();
        ASSERT_EQ(qsizetype(run.scans.size()) * row.columns, lines.size() - 2);
        const std::map<QString, const Scan *> scans = byName(run);
        for (qsizetype l = 1; l + 1 < lines.size(); ++l) {
            const QList<QByteArray> fields = lines[l].split(',');
            ASSERT_EQ(fields.size(), 6) << lines[l].toStdString();
            const QString file = QString::fromLatin1(fields[0]);
            ASSERT_EQ(scans.count(file), 1u) << lines[l].toStdString();
            const Scan &scan = *scans.at(file);
            EXPECT_TRUE(file.toUpper().contains(row.extension));
            EXPECT_EQ(fields[1].toInt(), scan.header->cell);
            EXPECT_EQ(fields[2].toInt(), (l - 1) % row.columns + 1);
            EXPECT_EQ(fields[3].toInt(), scan.header->speed);
            const double meniscus = fields[4].toDouble();
            const double bottom = fields[5].toDouble();
            EXPECT_TRUE(
                meniscus > scan.x(0) && meniscus < bottom && bottom < scan.x(scan.numPoints - 1))
                << lines[l].toStdString();
        }
    }
}
