// SPDX-License-Identifier: GPL-3.0-or-later
// The run's group edits without a window: the range, the detector, the
// history of steps, and saving the scans.
#include "runs/GroupEdits.h"
#include "core/NumLib.h"
#include "runs/RunEdits.h"
#include "runs/RunReader.h"
#include "runs/ScanEdits.h"
#include "runs/ScanSave.h"
#include "support/RunGenerator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace
{

// Points at x = 6.0, 6.1, ... with readings 0.1 i and flags `flag`.
Scan madeScan(const QString &name, int points, float flag = 0.004f)
{
    Scan scan;
    scan.path = QStringLiteral("run/") + name;
    scan.name = name;
    scan.shown = name;
    scan.numPoints = points;
    for (int i = 0; i < points; ++i) {
        scan.points.push_back(6.0f + 0.1f * float(i));
        scan.points.push_back(0.1f * float(i));
        scan.points.push_back(flag);
    }
    const QByteArray comments = QByteArray("Made scan").leftJustified(96, ' ')
        + QByteArray("R 1 20.0 16000 100 1.0E10 280 1").leftJustified(96, ' ');
    scan.numComments = 2;
    scan.comments = comments;
    return scan;
}

std::vector<float> flagsOf(const Scan &scan)
{
    std::vector<float> flags;
    for (int i = 0; i < scan.numPoints; ++i)
        flags.push_back(scan.flag(i));
    return flags;
}

// The indices of the removed points.
std::vector<int> removed(const Scan &scan)
{
    std::vector<int> out;
    for (int i = 0; i < scan.numPoints; ++i) {
        if (scan.flag(i) < 0.0f)
            out.push_back(i);
    }
    return out;
}

} // namespace

TEST(ApplyRange, RemovesOutsideFromBothEndsAndAWiderRangeBringsThemBack)
{
    Scan scan = madeScan(QStringLiteral("a.RA1"), 10); // 6.0 .. 6.9
    // Ends included; each side stops at its first point inside.
    EXPECT_EQ(ApplyRange(scan, { 6.2, 6.6 }), RangeOutcome::Changed);
    EXPECT_EQ(removed(scan), (std::vector<int> { 0, 1, 7, 8, 9 }));
    EXPECT_TRUE(scan.edited);
    EXPECT_FLOAT_EQ(scan.flag(0), -0.004f); // the deviation kept behind the sign

    // A point removed inside by hand stays removed through another range.
    scan.points[3 * 4 + 2] = -0.004f;
    EXPECT_EQ(ApplyRange(scan, { 6.05, 6.75 }), RangeOutcome::Changed);
    EXPECT_EQ(removed(scan), (std::vector<int> { 0, 4, 8, 9 }));
    EXPECT_EQ(ApplyRange(scan, { 6.05, 6.75 }), RangeOutcome::Unchanged);

    // A range holding no point would remove all data: refused.
    const std::vector<float> before = flagsOf(scan);
    EXPECT_EQ(ApplyRange(scan, { 7.5, 8.0 }), RangeOutcome::NoPointInside);
    EXPECT_EQ(ApplyRange(scan, { 6.01, 6.09 }), RangeOutcome::NoPointInside);
    EXPECT_EQ(flagsOf(scan), before);

    // A point removed otherwise before the range stays removed when a wider
    // range takes it in; only what the range removed comes back.
    Scan other = madeScan(QStringLiteral("c.RA1"), 10);
    other.points[3 * 1 + 2] = -0.004f;
    ApplyRange(other, { 6.25, 6.9 });
    EXPECT_EQ(removed(other), (std::vector<int> { 0, 1, 2 }));
    ApplyRange(other, { 6.0, 6.9 });
    EXPECT_EQ(removed(other), (std::vector<int> { 1 }));

    // A point out of order inside is not visited, as in the editor.
    Scan odd = madeScan(QStringLiteral("b.RA1"), 6);
    odd.points[3 * 3] = 5.0f; // 6.0 6.1 6.2 5.0 6.4 6.5
    ApplyRange(odd, { 6.1, 6.4 });
    EXPECT_EQ(removed(odd), (std::vector<int> { 0, 5 }));
}

TEST(RemoveSuggested, RemovesWhatTheEditorSuggestsAndCountsByKind)
{
    Scan scan = madeScan(QStringLiteral("a.RA1"), 60);
    for (int i = 0; i < 60; ++i)
        scan.points[size_t(3 * i + 1)] = 0.5f + 0.001f * float(i % 3);
    scan.points[3 * 30 + 1] = 3.0f; // a spike
    scan.points[3 * 40 + 1] = 1.0f; // a place-holder row
    scan.points[3 * 40 + 2] = 0.0f;
    ::Run run;
    run.scans = { scan, madeScan(QStringLiteral("b.RA1"), 60) };
    for (int i = 0; i < 60; ++i)
        run.scans[1].points[size_t(3 * i + 1)] = 0.5f + 0.001f * float(i % 3);
    RunEdits edits(run);
    const SuggestReport report = RemoveSuggestedFrom(edits, { 0, 1 });
    EXPECT_EQ(report.scans, 1);
    EXPECT_EQ(report.points, 1); // the place-holder has flag 0: not good, not counted
    EXPECT_EQ(report.kinds[size_t(SuggestKind::Spike)], 1);
    EXPECT_EQ(removed(run.scans[0]), (std::vector<int> { 30 }));
    EXPECT_TRUE(run.scans[0].edited);
    EXPECT_FALSE(run.scans[1].edited);
    EXPECT_EQ(SuggestSummary(report), QStringLiteral("Removed 1 points from 1 scans: 1 spikes."));
    EXPECT_EQ(SuggestSummary({}), QStringLiteral("No point was suggested for removal."));
}

TEST(RunEdits, EachGroupOperationIsOneStepUndoneAndDoneAgain)
{
    ::Run run;
    for (int k = 0; k < 4; ++k)
        run.scans.push_back(madeScan(QStringLiteral("%1.RA1").arg(k), 10));
    RunEdits edits(run);
    EXPECT_EQ(run.scans[0].id, 1u);
    EXPECT_EQ(run.scans[3].id, 4u);
    const std::vector<float> original = flagsOf(run.scans[0]);

    ASSERT_EQ(ApplyRangeTo(edits, run, { 0, 1, 2 }, { 6.2, 6.6 }).changed, 3);
    const std::vector<float> trimmed = flagsOf(run.scans[0]);
    // A step that changes nothing is not recorded.
    EXPECT_EQ(ApplyRangeTo(edits, run, { 0 }, { 6.2, 6.6 }).changed, 0);
    EXPECT_EQ(edits.undoName(), QStringLiteral("Apply Range"));

    // Split the two middle scans into halves, as columns are split.
    ASSERT_TRUE(edits.replace(QStringLiteral("Split Channels"), { 2, 1 }, [](const Scan &scan) {
        std::vector<Scan> halves(2, scan);
        halves[0].name += QStringLiteral("-c1");
        halves[1].name += QStringLiteral("-c2");
        halves[0].column = 1;
        halves[1].column = 2;
        return halves;
    }));
    ASSERT_EQ(run.scans.size(), 6u);
    QStringList names;
    for (const Scan &scan : run.scans)
        names << scan.name;
    EXPECT_EQ(names.join(u' '), QStringLiteral("0.RA1 1.RA1-c1 1.RA1-c2 2.RA1-c1 2.RA1-c2 3.RA1"));
    EXPECT_EQ(run.scans[1].id, 5u);
    EXPECT_EQ(run.scans[4].id, 8u);

    // An edit of one column, then all undone in turn and done again.
    ASSERT_TRUE(
        TakeEditorFlags(edits, run, 3, flagsOf(run.scans[3]), std::vector<float>(10, -1.0f)));
    EXPECT_EQ(edits.undoName(), QStringLiteral("Edit 2.RA1-c1"));
    edits.undo();
    EXPECT_EQ(flagsOf(run.scans[3]), trimmed);
    edits.undo(); // the split
    ASSERT_EQ(run.scans.size(), 4u);
    EXPECT_EQ(run.scans[1].name, QStringLiteral("1.RA1"));
    EXPECT_EQ(run.scans[2].id, 3u);
    EXPECT_EQ(flagsOf(run.scans[2]), trimmed);
    edits.undo(); // the range
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(flagsOf(run.scans[size_t(k)]), original);
        EXPECT_FALSE(run.scans[size_t(k)].edited);
        EXPECT_TRUE(run.scans[size_t(k)].removedByRange.empty());
    }
    EXPECT_FALSE(edits.canUndo());

    edits.redo();
    edits.redo();
    edits.redo();
    EXPECT_FALSE(edits.canRedo());
    names.clear();
    for (const Scan &scan : run.scans)
        names << scan.name;
    EXPECT_EQ(names.join(u' '), QStringLiteral("0.RA1 1.RA1-c1 1.RA1-c2 2.RA1-c1 2.RA1-c2 3.RA1"));
    EXPECT_EQ(run.scans[1].id, 5u); // the same scans, not new ones
    EXPECT_EQ(flagsOf(run.scans[3]), std::vector<float>(10, -1.0f));
    EXPECT_EQ(flagsOf(run.scans[0]), trimmed);
    EXPECT_EQ(flagsOf(run.scans[5]), original);

    // A new step after an undo drops what could be done again.
    edits.undo();
    RemoveSuggestedFrom(edits, { 0 });
    ApplyRangeTo(edits, run, { 5 }, { 6.0, 6.3 });
    EXPECT_FALSE(edits.canRedo());
}

TEST(RunEdits, AStepKeepsOnlyTheFlagsItChangedAndTheHistoryIsBoundedByMemory)
{
    // 1000 scans of 2199 points, a range that removes 20 points of each:
    // whole flag vectors would be 8.8 MB a step.
    ::Run run;
    Scan scan = madeScan(QStringLiteral("a.RA1"), 2199);
    for (int i = 0; i < scan.numPoints; ++i)
        scan.points[size_t(3 * i)] = 6.0f + 0.0005f * float(i);
    run.scans.assign(1000, scan);
    const size_t bound = size_t(2) << 20;
    RunEdits edits(run, bound);
    std::vector<int> all(run.scans.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    const RadiusRange range { 6.0 + 0.0005 * 10, 6.0 + 0.0005 * 2188 };
    ASSERT_EQ(ApplyRangeTo(edits, run, all, range).changed, 1000);
    EXPECT_EQ(removed(run.scans[999]).size(), 20u);
    EXPECT_LT(edits.historyBytes(), size_t(300) << 10) << edits.historyBytes() << " bytes";
    edits.undo();
    EXPECT_TRUE(removed(run.scans[0]).empty());
    edits.redo();
    EXPECT_EQ(removed(run.scans[0]).size(), 20u);

    // A split keeps the scans it replaced (26 KB each): the oldest steps go
    // once the history would hold more than its bound, the newest stays.
    const auto halves = [](const Scan &source) { return std::vector<Scan>(2, source); };
    for (int k = 0; k < 6; ++k)
        ASSERT_TRUE(edits.replace(QStringLiteral("Split"), { 2 * k, 2 * k + 1 }, halves));
    EXPECT_LE(edits.historyBytes(), bound);
    ASSERT_TRUE(edits.replace(
        QStringLiteral("Split"), std::vector<int>(all.begin(), all.begin() + 100), halves));
    EXPECT_GT(edits.historyBytes(), bound) << "the step just done stays, whatever it holds";
    int kept = 0;
    while (edits.canUndo()) {
        edits.undo();
        ++kept;
    }
    EXPECT_EQ(kept, 1);
}

TEST(RemoveSuggested, CountsByKindAddUpToTheTotalOnAGeneratedRun)
{
    TestFolder folder;
    RunPlan plan;
    plan.cells = { 1 };
    plan.speeds = { { 16000, 6, 12.0 } };
    WriteRun(GenerateRun(plan), folder.path(QStringLiteral("run")));
    NumLib numlib;
    ::Run run = ReadRun({ folder.path(QStringLiteral("run")) }, numlib);
    ASSERT_EQ(run.scans.size(), 6u);
    RunEdits edits(run);
    std::vector<int> all { 0, 1, 2, 3, 4, 5 };
    const SuggestReport report = RemoveSuggestedFrom(edits, all);
    ASSERT_GT(report.points, 0);
    int sum = 0;
    for (int count : report.kinds)
        sum += count;
    EXPECT_EQ(sum, report.points) << SuggestSummary(report).toStdString();
}

TEST(ScanSave, TheFourLayoutsOfTheEditorsSaves)
{
    Scan scan = madeScan(QStringLiteral("a.RA1"), 5);
    ApplyRange(scan, { 6.1, 6.3 });
    scan.points[3 * 2 + 2] = -0.004f;
    const QByteArray head = QByteArray("Made scan").leftJustified(96, ' ') + "\r\n"
        + QByteArray("R 1 20.0 16000 100 1.0E10 280 1").leftJustified(96, ' ') + "\r\n";
    EXPECT_EQ(EditedScanText(scan, { false, true }),
        head
            + "   6.10000    1.00000E-01    4.000E-03\r\n"
              "   6.20000    2.00000E-01   -4.000E-03\r\n"
              "   6.30000    3.00000E-01    4.000E-03\r\n");
    EXPECT_EQ(EditedScanText(scan, { true, false }),
        head
            + "  18.00000    0.00000E+00   -4.000E-03\r\n"
              "  18.60500    1.00000E-01    4.000E-03\r\n"
              "  19.22000    2.00000E-01   -4.000E-03\r\n"
              "  19.84500    3.00000E-01    4.000E-03\r\n"
              "  20.48000    4.00000E-01   -4.000E-03\r\n");
}

TEST(ScanSave, ExistingFilesAndTheRunsOwnFilesAreNotReplacedAndFailuresLeaveTheRestWritten)
{
    TestFolder folder;
    NumLib numlib;
    RunPlan plan;
    plan.cells = { 1 };
    plan.speeds = { { 16000, 4, 12.0 } };
    const QString root = folder.path(QStringLiteral("run"));
    ASSERT_TRUE(WriteRun(GenerateRun(plan), root));
    ::Run run = ReadRun({ root }, numlib);
    ASSERT_EQ(run.scans.size(), 4u);
    std::vector<const Scan *> scans;
    for (const Scan &scan : run.scans)
        scans.push_back(&scan);
    const QString out = folder.path(QStringLiteral("out"));
    QDir().mkpath(out);
    const QString first = QDir(out).filePath(run.scans[0].name);
    QFile::copy(run.scans[0].path, first);
    QDir(out).mkdir(run.scans[1].name); // a folder in the way

    SaveRequest request { out, {}, false, SourceFiles(run) };
    SaveResult result = SaveScans(scans, request);
    EXPECT_EQ(result.written.size(), 2);
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_EQ(result.failures[0].path, first);
    EXPECT_EQ(readFileBytes(first), readFileBytes(run.scans[0].path)); // untouched
    EXPECT_EQ(ExistingTargets(scans, out).size(), 4);
    EXPECT_EQ(
        readFileBytes(QDir(out).filePath(run.scans[2].name)), EditedScanText(run.scans[2], {}));

    // With the user's word an existing file is replaced...
    request.replaceExisting = true;
    result = SaveScans({ scans[0] }, request);
    EXPECT_EQ(result.written.size(), 1);
    EXPECT_EQ(readFileBytes(first), EditedScanText(run.scans[0], {}));
    // ...but never a file the run was read from.
    const QByteArray source = readFileBytes(run.scans[3].path);
    request.folder = root;
    result = SaveScans({ scans[3] }, request);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_TRUE(result.failures[0].reason.contains(QStringLiteral("never replaced")));
    EXPECT_EQ(readFileBytes(run.scans[3].path), source);
    EXPECT_TRUE(ExistingTargets(scans, root, request.sources).isEmpty())
        << "the run's own files are not offered for replacing";

    // Two scans of one name would overwrite each other: the second is not written.
    Scan twin = run.scans[2];
    twin.path = QStringLiteral("elsewhere/") + twin.name;
    const QString fresh = folder.path(QStringLiteral("fresh"));
    QDir().mkpath(fresh);
    // An empty split column holds nothing to save.
    Scan empty = run.scans[1];
    empty.name = QStringLiteral("00002-c3.RA1");
    empty.path = QStringLiteral("run/00002-c3.RA1");
    empty.numPoints = 0;
    empty.points.clear();
    result = SaveScans({ scans[2], &twin, &empty }, { fresh, {}, false, {} });
    EXPECT_EQ(result.written.size(), 1);
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_EQ(result.failures[0].reason,
        QStringLiteral("%1 is not saved: another chosen scan, %2, is saved under this name")
            .arg(twin.path, run.scans[2].path));
    EXPECT_EQ(result.failures[1].reason, QStringLiteral("run/00002-c3.RA1 holds no data points"));
    EXPECT_FALSE(QFileInfo::exists(QDir(fresh).filePath(empty.name)));

    // A full disk: each file fails with the system's reason.
    const QString full = folder.path(QStringLiteral("full"));
    QDir().mkpath(full);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 500;
    setrlimit(RLIMIT_FSIZE, &small);
    result = SaveScans(scans, { full, {}, false, {} });
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_TRUE(result.written.isEmpty());
    ASSERT_EQ(result.failures.size(), 4u);
    EXPECT_EQ(result.failures[0].reason, QStringLiteral("File too large"));
    EXPECT_TRUE(QDir(full).entryList(QDir::Files | QDir::Hidden).isEmpty()); // nothing partial

    // A folder that refuses new files.
    PermissionsBind bind;
    if (bind.active()) {
        const QString locked = folder.path(QStringLiteral("locked"));
        QDir().mkpath(locked);
        chmod(QFile::encodeName(locked).constData(), 0555);
        result = SaveScans(scans, { locked, {}, false, {} });
        chmod(QFile::encodeName(locked).constData(), 0755);
        EXPECT_TRUE(result.written.isEmpty());
        ASSERT_EQ(result.failures.size(), 4u);
        EXPECT_EQ(result.failures[0].reason, QStringLiteral("Permission denied"));
    }
}

TEST(ScanSave, AScanWrittenForTheEditorReadsBackBitForBit)
{
    TestFolder folder;
    NumLib numlib;
    RunPlan plan;
    plan.cells = { 1 };
    plan.speeds = { { 16000, 3, 12.0 } };
    const QString root = folder.path(QStringLiteral("run"));
    ASSERT_TRUE(WriteRun(GenerateRun(plan), root));
    ::Run run = ReadRun({ root }, numlib);
    ASSERT_EQ(run.scans.size(), 3u);
    for (Scan &scan : run.scans) {
        ApplyRange(scan, { 6.85, 7.05 });
        const QString copy = folder.write(QStringLiteral("copy.dat"), ScanFileText(scan));
        const ::Run again = ReadRun({ copy }, numlib);
        ASSERT_EQ(again.scans.size(), 1u);
        EXPECT_EQ(again.scans[0].points, scan.points);
        EXPECT_EQ(again.scans[0].comments, scan.comments);
        EXPECT_EQ(again.scans[0].header, scan.header);
    }
}
