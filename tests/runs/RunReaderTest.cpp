// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunReader.h"
#include "core/NumLib.h"
#include "runs/RunAnalysis.h"
#include "runs/RunGroups.h"
#include "support/CommandSupport.h"
#include "support/RunGenerator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

RunPlan smallPlan()
{
    RunPlan plan;
    plan.cells = { 1, 2, 3 };
    plan.speeds = { { 16000, 6, 12.0 }, { 24000, 6, 10.0 } };
    return plan;
}

Scan scanWith(char type, int cell, int speed, double wavelength, int64_t time)
{
    Scan scan;
    scan.header = ScanHeader { type, cell, 20.0, speed, time, 1.0, wavelength, 1 };
    return scan;
}

} // namespace

TEST(RunReader, EveryScanOfAFolderIsReadWithItsHeaderAndPoints)
{
    TestFolder folder;
    GeneratedRun generated = GenerateRun(smallPlan());
    // Cell 3 one folder further down, as instruments nest runs by date.
    for (GeneratedScan &scan : generated.scans) {
        if (scan.header.cell == 3)
            scan.relativePath = QStringLiteral("2026-03-09/") + scan.relativePath;
    }
    const QString root = folder.path(QStringLiteral("run"));
    ASSERT_TRUE(WriteRun(generated, root));

    NumLib numlib;
    const ::Run run = ReadRun({ root }, numlib);
    EXPECT_EQ(run.title, QStringLiteral("run"));
    EXPECT_TRUE(run.failures.empty()) << run.failures.front().reason.toStdString();
    ASSERT_EQ(run.scans.size(), generated.scans.size()) << "the logs and notes are no scans";
    std::map<QString, const GeneratedScan *> byPath;
    for (const GeneratedScan &scan : generated.scans)
        byPath[scan.relativePath] = &scan;
    QString previous;
    for (const Scan &scan : run.scans) {
        ASSERT_TRUE(byPath.count(scan.shown)) << scan.shown.toStdString();
        const GeneratedScan &expected = *byPath[scan.shown];
        EXPECT_LT(previous, scan.shown) << "in the order of their places";
        previous = scan.shown;
        EXPECT_EQ(scan.path, root + QLatin1Char('/') + scan.shown);
        EXPECT_EQ(scan.name, QFileInfo(scan.shown).fileName());
        EXPECT_EQ(scan.description, expected.description.trimmed());
        ASSERT_TRUE(scan.header) << scan.shown.toStdString();
        EXPECT_EQ(*scan.header, expected.header) << scan.shown.toStdString();
        EXPECT_EQ(scan.numPoints, expected.points) << scan.shown.toStdString();
        EXPECT_EQ(scan.numComments, 2);
        EXPECT_TRUE(scan.archive.isEmpty());
    }
}

TEST(RunReader, FilesThatGiveNoScanAreListedAndTheRestRead)
{
    TestFolder folder;
    const QString root = folder.path(QStringLiteral("run"));
    QDir().mkpath(root);
    const QByteArray good = "sample\nR 1 20.0 9000 0000060 1E5 280 1\n6.0 0.1 0.01\n6.1 0.2 0.01\n";
    folder.write(QStringLiteral("run/00001.RA1"), good);
    folder.write(QStringLiteral("run/00002.RA1"), "");
    folder.write(QStringLiteral("run/00003.RA1"),
        QByteArray("\x7f"
                   "ELF\0\0\x01",
            7)
            + good);
    folder.write(QStringLiteral("run/00004.RA1"), "only\ncomment lines\n");
    {
        QFile huge(folder.path(QStringLiteral("run/00005.RA1")));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(MaxScanBytes + 1)); // sparse: takes no room
    }
    // Hidden folders are not the run's; a log beside the scans is no scan.
    QDir().mkpath(root + QStringLiteral("/.trash"));
    folder.write(QStringLiteral("run/.trash/00009.RA1"), good);
    folder.write(QStringLiteral("run/CELL1ABS.LOG"), good);
    const QString fifo = folder.path(QStringLiteral("pipe.RA1"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString missing = folder.path(QStringLiteral("missing"));
    const QString odd = folder.write(QStringLiteral("named.txt"), good);

    NumLib numlib;
    const ::Run run = ReadRun({ root, fifo, missing, odd }, numlib);
    ASSERT_EQ(run.scans.size(), 2u);
    EXPECT_EQ(run.scans[0].shown, QStringLiteral("00001.RA1"));
    EXPECT_EQ(run.scans[1].path, odd) << "a file named on its own is read whatever its name";
    std::map<QString, QString> reasons;
    for (const ReadFailure &failure : run.failures)
        reasons[QFileInfo(failure.path).fileName()] = failure.reason;
    EXPECT_EQ(reasons[QStringLiteral("00002.RA1")], QStringLiteral("is empty"));
    EXPECT_EQ(reasons[QStringLiteral("00003.RA1")], QStringLiteral("is a binary file, not a scan"));
    EXPECT_EQ(reasons[QStringLiteral("00004.RA1")], QStringLiteral("holds no data points"));
    EXPECT_EQ(reasons[QStringLiteral("00005.RA1")],
        QStringLiteral("is 64.0 MB, more than a scan can be (at most 64.0 MB)"));
    EXPECT_EQ(reasons[QStringLiteral("pipe.RA1")], QStringLiteral("is not a regular file"));
    EXPECT_EQ(reasons[QStringLiteral("missing")], QStringLiteral("does not exist"));
    EXPECT_EQ(run.failures.size(), 6u);
}

TEST(RunReader, LinksThatLeadBackAreFollowedOnce)
{
    TestFolder folder;
    const QString root = folder.path(QStringLiteral("run"));
    QDir().mkpath(root + QStringLiteral("/a/b"));
    const QByteArray good = "s\nR 1 20.0 9000 0000060 1E5 280 1\n6.0 0.1 0.01\n6.1 0.2 0.01\n";
    folder.write(QStringLiteral("run/00001.RA1"), good);
    folder.write(QStringLiteral("run/a/b/00002.RA1"), good);
    ASSERT_TRUE(QFile::link(root, root + QStringLiteral("/a/b/up")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/a"), root + QStringLiteral("/a/b/again")));

    NumLib numlib;
    const ::Run run = ReadRun({ root }, numlib);
    ASSERT_EQ(run.scans.size(), 2u);
    EXPECT_EQ(run.scans[0].shown, QStringLiteral("00001.RA1"));
    EXPECT_EQ(run.scans[1].shown, QStringLiteral("a/b/00002.RA1"));
    EXPECT_TRUE(run.failures.empty());
}

TEST(RunReader, CancelStopsBetweenFilesAndProgressCountsThem)
{
    TestFolder folder;
    const QString root = folder.path(QStringLiteral("run"));
    ASSERT_TRUE(WriteRun(GenerateRun(smallPlan()), root));
    NumLib numlib;
    std::vector<std::pair<int, int>> reports;
    ReadProgress progress;
    progress.report = [&reports](int done, int total) { reports.emplace_back(done, total); };
    progress.cancelled = [&reports] { return reports.size() >= 5; };
    const ::Run run = ReadRun({ root }, numlib, progress);
    EXPECT_TRUE(run.cancelled);
    EXPECT_EQ(run.scans.size(), 5u);
    ASSERT_EQ(reports.size(), 5u);
    EXPECT_EQ(reports.back(), std::make_pair(5, 36));
}

TEST(RunReader, WithoutTheLibraryNothingIsRead)
{
    NumLib missing({ "/nonexistent/libkelvane.so" });
    EXPECT_THROW(ReadRun({ examplePath(QStringLiteral("radius-scan.dat")) }, missing), NumLibError);
}

TEST(RunGroups, SettingsByCellTypeSpeedAndChainedWavelengths)
{
    std::vector<Scan> scans = {
        scanWith('R', 1, 16000, 280, 300), // 0
        scanWith('R', 1, 16000, 283, 100), // 1: 3 nm from 280 chains
        scanWith('R', 1, 16000, 286, 200), // 2: and 3 more from 283
        scanWith('R', 1, 16000, 289.5, 50), // 3: 3.5 nm is a new group
        scanWith('R', 1, 24000, 280, 400), // 4: another speed
        scanWith('I', 1, 16000, 280, 10), // 5: another type
        scanWith('R', 2, 16000, 280, 5), // 6: another cell
        scanWith('R', 1, 16000, 281, 200), // 7: the same time as 2: run order decides
        Scan(), // 8: no header
    };
    const RunGroups groups = GroupScans(scans);
    ASSERT_EQ(groups.groups.size(), 5u);
    const std::vector<std::vector<int>> members = { { 5 }, { 1, 2, 7, 0 }, { 3 }, { 4 }, { 6 } };
    for (size_t g = 0; g < members.size(); ++g) {
        EXPECT_EQ(groups.groups[g].scans, members[g]) << g;
        EXPECT_EQ(groups.groups[g].number, int(g) + 1);
    }
    EXPECT_EQ(groups.groups[1].last(), 0) << "the reference is the latest";
    EXPECT_EQ(groups.groups[1].lowestWavelength, 280.0);
    EXPECT_EQ(groups.groups[1].highestWavelength, 286.0);
    EXPECT_EQ(groups.groupOf, (std::vector<int> { 1, 1, 1, 2, 3, 0, 4, 1, -1 }));

    const std::vector<WavelengthBand> bands = ChainWavelengths({ 281, 230, 280, 260, 263, 267 });
    ASSERT_EQ(bands.size(), 4u);
    EXPECT_EQ(BandText(bands[0]), QStringLiteral("230 nm"));
    EXPECT_EQ(BandText(bands[1]), QStringLiteral("260-263 nm"));
    EXPECT_EQ(BandText(bands[3]), QStringLiteral("280-281 nm"));
}

TEST(RunReader, AFileNamedTwiceIsReadOnceAndHardLinksStayTwoFiles)
{
    TestFolder folder;
    RunPlan plan;
    plan.cells = { 1 };
    plan.speeds = { { 16000, 6, 12.0 } };
    ASSERT_TRUE(WriteRun(GenerateRun(plan), folder.path(QStringLiteral("run"))));
    ASSERT_TRUE(
        QFile::link(folder.path(QStringLiteral("run")), folder.path(QStringLiteral("alias"))));
    const CommandPlace here { folder.root(), false };
    const auto report = [&here](const QStringList &paths) {
        return kelvane(QStringList { QStringLiteral("--report") } + paths, here);
    };
    const Finished once = report({ QStringLiteral("run") });
    ASSERT_EQ(once.status, 0) << once.err.toStdString();
    ASSERT_EQ(once.out.count('\n'), 7);
    const struct {
        const char *name;
        QStringList paths;
    } rows[] = {
        { "a folder and one of its files",
            { QStringLiteral("run"), QStringLiteral("run/00001.RA1") } },
        { "a folder twice", { QStringLiteral("run"), QStringLiteral("./run/") } },
        { "a folder and a link to it", { QStringLiteral("run"), QStringLiteral("alias") } },
        { "a file, then its folder", { QStringLiteral("run/00001.RA1"), QStringLiteral("run") } },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const Finished twice = report(row.paths);
        EXPECT_EQ(twice.status, 0);
        EXPECT_EQ(twice.out.count('\n'), 7);
        if (row.paths.first() == QStringLiteral("run")) {
            EXPECT_EQ(twice.out, once.out);
        }
    }

    // Two names of one file are two files, in the folder as in its archive.
    ASSERT_TRUE(QFile::remove(folder.path(QStringLiteral("run/00006.RA1"))));
    ASSERT_EQ(::link(QFile::encodeName(folder.path(QStringLiteral("run/00005.RA1"))).constData(),
                  QFile::encodeName(folder.path(QStringLiteral("run/00006.RA1"))).constData()),
        0);
    QProcess tar;
    tar.setWorkingDirectory(folder.path(QStringLiteral("run")));
    tar.start(QStringLiteral("tar"),
        { QStringLiteral("-czf"), folder.path(QStringLiteral("run.tar.gz")), QStringLiteral(".") });
    ASSERT_TRUE(tar.waitForFinished(60000) && tar.exitCode() == 0);
    const Finished linked = report({ QStringLiteral("run") });
    const Finished packed = report({ QStringLiteral("run.tar.gz") });
    EXPECT_EQ(linked.out.count('\n'), 7);
    EXPECT_EQ(packed.status, 0) << packed.err.toStdString();
    EXPECT_EQ(QByteArray(packed.out).replace("run.tar.gz/", "run/"), linked.out);
}
