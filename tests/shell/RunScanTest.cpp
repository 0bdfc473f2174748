// SPDX-License-Identifier: GPL-3.0-or-later
// A scan of a run opened in the main window: the link that carries the
// editor's commits back to the run window, and where its working files go.
#include "datafiles/CommentsDialog.h"
#include "runs/RunEdits.h"
#include "runwindows/RunFilterModel.h"
#include "runwindows/RunTableModel.h"
#include "runwindows/RunWindow.h"
#include "shell/QtPlatform.h"
#include "support/EditorSupport.h"
#include "support/RunEditRig.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableView>

namespace
{

// Two cells of six scans at one speed in "run", with 00099.RA1 a copy of
// 00001.RA1 under another name: two scans of the same point count.
struct LinkRig : RunEditRig {
    LinkRig()
        : RunEditRig(smallPlan())
    {
        QFile::copy(root + QStringLiteral("/00001.RA1"), root + QStringLiteral("/00099.RA1"));
    }
    static RunPlan smallPlan()
    {
        RunPlan plan;
        plan.speeds = { { 16000, 6, 12.0 } };
        plan.variants = false;
        return plan;
    }
    RunWindow *openRunOf(const QString &path)
    {
        platform.runPathAnswers.push_back(QStringList { path });
        window->openRunAction()->trigger();
        return window->runWindows().empty() ? nullptr : window->runWindows().back();
    }
    // The scan shown as `shown` opened from the table, as a double click does.
    void open(RunWindow &w, const QString &shown)
    {
        w.table()->setCurrentIndex(
            w.filterModel()->mapFromSource(w.tableModel()->index(indexOf(w, shown), 0)));
        w.openScanAction()->trigger();
    }
    static int indexOf(const RunWindow &w, const QString &shown)
    {
        for (size_t i = 0; i < w.run().scans.size(); ++i) {
            if (w.run().scans[i].shown == shown)
                return int(i);
        }
        return -1;
    }
    // Edit > Data (graphically): the first good point at or past `from` is
    // removed and the editor left with "Exit and update data set"; its number.
    int removeInEditor(float from)
    {
        int good = 0;
        for (int i = 1; i <= state->NumPts && good == 0; ++i)
            good = state->DataPts.flag(i) > 0.0f && state->DataPts.x(i) >= from ? i : 0;
        if (good == 0)
            return 0;
        platform.modalActions.push_back([good](QDialog &dialog) {
            auto &editor = static_cast<PlotWindow &>(dialog);
            editor.button(2)->trigger();
            clickAt(editor, plotPositionOf(editor, good));
            editor.button(7)->trigger();
        });
        trigger(MenuEntry::DoPlotwork);
        return good;
    }
};

std::vector<float> flagsOf(const Scan &scan)
{
    std::vector<float> flags;
    for (int i = 0; i < scan.numPoints; ++i)
        flags.push_back(scan.flag(i));
    return flags;
}

bool packed(const QString &folder, const QString &archive)
{
    QProcess tar;
    tar.setWorkingDirectory(folder);
    tar.start(QStringLiteral("tar"), { QStringLiteral("-czf"), archive, QStringLiteral(".") });
    return tar.waitForFinished(60000) && tar.exitStatus() == QProcess::NormalExit
        && tar.exitCode() == 0;
}

} // namespace

TEST(RunScan, AScanThatFailsToOpenIsNotLinkedAndTheNextCommitChangesNoScanOfTheRun)
{
    enum class Break { Deleted, Unreadable, ArchiveMoved };
    const struct {
        const char *name;
        Break how;
    } rows[] = {
        { "deleted", Break::Deleted },
        { "unreadable", Break::Unreadable },
        { "archive moved", Break::ArchiveMoved },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        LinkRig h;
        const PermissionsBind binding;
        if (row.how == Break::Unreadable && !binding.active())
            GTEST_SKIP() << "permissions cannot be made to bind here";
        const QString archive = h.folder.path(QStringLiteral("run.tar.gz"));
        if (row.how == Break::ArchiveMoved) {
            ASSERT_TRUE(packed(h.root, archive));
        }
        RunWindow *w = h.openRunOf(row.how == Break::ArchiveMoved ? archive : h.root);
        ASSERT_NE(w, nullptr);
        const int a = LinkRig::indexOf(*w, QStringLiteral("00001.RA1"));
        const int b = LinkRig::indexOf(*w, QStringLiteral("00099.RA1"));
        ASSERT_GE(a, 0);
        ASSERT_GE(b, 0);
        const std::vector<std::vector<float>> before
            = { flagsOf(w->run().scans[size_t(a)]), flagsOf(w->run().scans[size_t(b)]) };

        h.open(*w, QStringLiteral("00001.RA1"));
        ASSERT_EQ(h.state->NumPts, w->run().scans[size_t(a)].numPoints);
        const QString moved = h.root + QStringLiteral("/00099.RA1");
        switch (row.how) {
        case Break::Deleted:
            ASSERT_TRUE(QFile::remove(moved));
            break;
        case Break::Unreadable:
            ASSERT_TRUE(QFile::setPermissions(moved, {}));
            break;
        case Break::ArchiveMoved:
            ASSERT_TRUE(QFile::rename(archive, archive + QStringLiteral(".moved")));
            break;
        }
        const size_t said = h.platform.messages.size();
        h.open(*w, QStringLiteral("00099.RA1"));
        ASSERT_EQ(h.platform.messages.size(), said + 1);
        EXPECT_TRUE(h.platform.messages.back().text.contains(QStringLiteral("could not be read")))
            << h.platform.messages.back().text.toStdString();

        // The data set is still A, which the run no longer links: its
        // commit stays with the data set.
        ASSERT_GT(h.removeInEditor(6.9f), 0);
        EXPECT_TRUE(h.state->CommitEdits);
        EXPECT_EQ(flagsOf(w->run().scans[size_t(a)]), before[0]);
        EXPECT_EQ(flagsOf(w->run().scans[size_t(b)]), before[1]);
        EXPECT_FALSE(w->edits().canUndo());
        QFile::setPermissions(moved, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        w->close();
    }
}

TEST(RunScan, ACommitChangesOnlyWhatTheEditorChangedAndKeepsLaterGroupEdits)
{
    LinkRig h;
    RunWindow *w = h.openRunOf(h.root);
    ASSERT_NE(w, nullptr);
    h.open(*w, QStringLiteral("00001.RA1"));
    const int scan = LinkRig::indexOf(*w, QStringLiteral("00001.RA1"));
    w->choose({ scan });
    // A range applied in the run window after the scan was opened: the data
    // set in the main window does not show it.
    h.applyRange(*w, QStringLiteral("6.85"), QStringLiteral("7.05"));
    const std::vector<float> ranged = flagsOf(w->run().scans[size_t(scan)]);
    const auto removed = [](const std::vector<float> &flags) {
        return int(std::count_if(flags.begin(), flags.end(), [](float f) { return f < 0.0f; }));
    };
    ASSERT_GT(removed(ranged), 10);

    // Two commits, each of one point inside the range.
    std::vector<float> expected = ranged;
    for (const float from : { 6.9f, 7.0f }) {
        const int good = h.removeInEditor(from);
        ASSERT_GT(good, 0);
        ASSERT_TRUE(h.state->CommitEdits);
        expected[size_t(good - 1)] = h.state->DataPts.flag(good);
        EXPECT_EQ(flagsOf(w->run().scans[size_t(scan)]), expected) << "after the edit at " << from;
    }
    EXPECT_EQ(removed(expected), removed(ranged) + 2);
    EXPECT_EQ(w->undoAction()->text(), QStringLiteral("&Undo Edit 00001.RA1"));
    w->undoAction()->trigger();
    w->undoAction()->trigger();
    EXPECT_EQ(flagsOf(w->run().scans[size_t(scan)]), ranged) << "each commit one step";
    h.platform.messageAnswers.push_back(MsgAnswer::Yes);
    w->close();
}

TEST(RunScan, AMemberOfAnArchiveOpensAsItselfAHardLinkAsTheFileItNames)
{
    LinkRig h;
    // 00002.RA1 a second name of 00001.RA1, and a later 00003.RA1 appended
    // under the same name with the readings of 00004.RA1.
    const QString archive = h.folder.path(QStringLiteral("run.tar"));
    QProcess shell;
    shell.setWorkingDirectory(h.root);
    shell.start(QStringLiteral("sh"),
        { QStringLiteral("-c"),
            QStringLiteral("rm 00002.RA1 && ln 00001.RA1 00002.RA1 && tar -cf %1 ."
                           " && cp 00004.RA1 00003.RA1 && tar -rf %1 ./00003.RA1")
                .arg(archive) });
    ASSERT_TRUE(shell.waitForFinished(60000) && shell.exitCode() == 0)
        << shell.readAllStandardError().toStdString();
    RunWindow *w = h.openRunOf(archive);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->run().failures.empty());
    std::vector<int> third;
    for (size_t i = 0; i < w->run().scans.size(); ++i) {
        if (w->run().scans[i].shown == QStringLiteral("00003.RA1"))
            third.push_back(int(i));
    }
    ASSERT_EQ(third.size(), 2u) << "both members of one name";
    const int linked = LinkRig::indexOf(*w, QStringLiteral("00002.RA1"));
    ASSERT_GE(linked, 0) << "the hard link is a scan";
    const struct {
        const char *name;
        int scan;
        int like; // the scan whose points it holds
    } rows[] = {
        { "the first 00003.RA1", third[0], third[0] },
        { "the later 00003.RA1", third[1], LinkRig::indexOf(*w, QStringLiteral("00004.RA1")) },
        { "the hard link", linked, LinkRig::indexOf(*w, QStringLiteral("00001.RA1")) },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const Scan &scan = w->run().scans[size_t(row.scan)];
        const Scan &like = w->run().scans[size_t(row.like)];
        EXPECT_EQ(scan.points, like.points);
        w->table()->setCurrentIndex(
            w->filterModel()->mapFromSource(w->tableModel()->index(row.scan, 0)));
        w->openScanAction()->trigger();
        ASSERT_EQ(h.state->NumPts, scan.numPoints);
        for (int i = 0; i < scan.numPoints; ++i) {
            ASSERT_EQ(h.state->DataPts.x(i + 1), scan.x(i)) << i;
            ASSERT_EQ(h.state->DataPts.conc(i + 1), scan.reading(i)) << i;
        }
    }
    EXPECT_TRUE(h.platform.messages.empty());
    EXPECT_NE(w->run().scans[size_t(third[0])].points, w->run().scans[size_t(third[1])].points);
}

namespace
{

// Every file under `folder`, with a digest of its bytes.
std::map<QString, QByteArray> filesUnder(const QString &folder)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        files[file]
            = QCryptographicHash::hash(readFileBytes(file), QCryptographicHash::Sha1).toHex();
    }
    return files;
}

} // namespace

TEST(RunScan, TheWorkingFilesOfARunsScanGoToTheProgramsCacheFolderNeverIntoTheRun)
{
    enum class From { File, Archive, Memory };
    const struct {
        const char *name;
        From from;
    } rows[] = {
        { "a scan file", From::File },
        { "an archive's member", From::Archive },
        { "an edited scan", From::Memory },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        LinkRig h;
        const PermissionsBind binding;
        if (!binding.active())
            GTEST_SKIP() << "permissions cannot be made to bind here";
        EXPECT_TRUE(h.platform.cacheFolder.startsWith(h.folder.root()));
        const QString archive = h.folder.path(QStringLiteral("packed/run.tar.gz"));
        QDir().mkpath(h.folder.path(QStringLiteral("packed")));
        ASSERT_TRUE(packed(h.root, archive));
        const QString runFolder = row.from == From::Archive ? QFileInfo(archive).path() : h.root;
        RunWindow *w = h.openRunOf(row.from == From::Archive ? archive : h.root);
        ASSERT_NE(w, nullptr);
        const int scan = LinkRig::indexOf(*w, QStringLiteral("00002.RA1"));
        if (row.from == From::Memory) {
            w->choose({ scan });
            h.applyRange(*w, QStringLiteral("6.85"), QStringLiteral("7.05"));
        }
        // The run's folder is read-only: a working file there would fail.
        const auto writable = QFile::permissions(runFolder);
        ASSERT_TRUE(QFile::setPermissions(runFolder, writable & ~QFileDevice::WriteOwner));
        const std::map<QString, QByteArray> before = filesUnder(runFolder);

        h.open(*w, QStringLiteral("00002.RA1"));
        ASSERT_EQ(h.state->NumPts, w->run().scans[size_t(scan)].numPoints);
        EXPECT_EQ(h.window->notice()->text(), QString());
        const QString runCache = QFileInfo(h.state->TmpPath).path();
        EXPECT_EQ(QFileInfo(runCache).path(), h.platform.cacheFolder + QStringLiteral("/runs"));
        EXPECT_EQ(QFileInfo(h.state->TmpPath).fileName(), QStringLiteral("~kelvane.tmp"));
        EXPECT_FALSE(h.workFile().isEmpty());
        // The dialogs start beside the scan (for a member, its archive).
        EXPECT_EQ(QDir::currentPath(), runFolder);

        // Commands that rewrite the working file, and the comment editor's
        // scratch file, keep to that folder.
        h.trigger(MenuEntry::InvertC);
        h.platform.modalActions.push_back(
            [](QDialog &dialog) { dynamic_cast<CommentsDialog &>(dialog).okButton()->click(); });
        h.trigger(MenuEntry::EditComment1);
        EXPECT_EQ(QFileInfo(h.state->CommentTmpPath).path(), runCache);
        EXPECT_EQ(QFileInfo(h.state->TmpPath).path(), runCache);
        EXPECT_EQ(h.window->notice()->text(), QString());
        EXPECT_EQ(filesUnder(runFolder), before) << "nothing written into the run's folder";
        EXPECT_TRUE(h.platform.messages.empty());

        // Another run has a folder of its own.
        QFile::setPermissions(runFolder, writable);
        const QString other = h.folder.path(QStringLiteral("other"));
        ASSERT_TRUE(WriteRun(GenerateRun(LinkRig::smallPlan()), other));
        RunWindow *second = h.openRunOf(other);
        ASSERT_NE(second, nullptr);
        h.open(*second, QStringLiteral("00001.RA1"));
        EXPECT_NE(QFileInfo(h.state->TmpPath).path(), runCache);
        EXPECT_EQ(QFileInfo(QFileInfo(h.state->TmpPath).path()).path(),
            h.platform.cacheFolder + QStringLiteral("/runs"));

        // Get Data places its working file before the dialog, where the
        // data set's went; the commands after it, beside the file chosen.
        const std::map<QString, QByteArray> otherBefore = filesUnder(other);
        const QString secondCache = QFileInfo(h.state->TmpPath).path();
        const QString single = h.example(QStringLiteral("radius-scan.dat"));
        h.choose(single, MenuEntry::GetNewData);
        EXPECT_EQ(QFileInfo(h.state->TmpPath).path(), secondCache);
        h.trigger(MenuEntry::InvertC);
        EXPECT_EQ(h.state->TmpPath, h.folder.path(QStringLiteral("~kelvane.tmp")));
        EXPECT_EQ(filesUnder(other), otherBefore);
        // A file opened on its own keeps its working file beside it.
        QFile::remove(h.state->TmpPath);
        h.window->openNamedFile(single);
        EXPECT_EQ(h.state->TmpPath, h.folder.path(QStringLiteral("~kelvane.tmp")));
        EXPECT_FALSE(h.workFile().isEmpty());
        if (row.from == From::Memory)
            h.platform.messageAnswers.push_back(MsgAnswer::Yes);
        w->close();
    }
}

TEST(RunScan, ACacheFolderThatCannotBeMadeIsSaidPlainlyAndTheScanStillOpens)
{
    LinkRig h;
    h.folder.write(QStringLiteral("cache-file"), "not a folder\n");
    h.platform.cacheFolder = h.folder.path(QStringLiteral("cache-file/kelvane"));
    RunWindow *w = h.openRunOf(h.root);
    ASSERT_NE(w, nullptr);
    const std::map<QString, QByteArray> before = filesUnder(h.root);
    h.open(*w, QStringLiteral("00002.RA1"));
    EXPECT_EQ(h.state->NumPts,
        w->run().scans[size_t(LinkRig::indexOf(*w, QStringLiteral("00002.RA1")))].numPoints);
    EXPECT_TRUE(h.window->action(MenuEntry::EditMenuChoice)->isEnabled());
    const QString notice = h.window->notice()->text();
    EXPECT_TRUE(notice.startsWith(QStringLiteral("The folder for working files %1/runs/")
                                      .arg(QDir::toNativeSeparators(h.platform.cacheFolder))))
        << notice.toStdString();
    EXPECT_TRUE(
        notice.contains(QStringLiteral(" cannot be made (Not a directory). The scan is open")))
        << notice.toStdString();
    EXPECT_EQ(filesUnder(h.root), before);
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(RunScan, TheDesktopsCacheFolderIsXdgCacheHomesOrTheHomesDotCache)
{
    TestFolder folder;
    const QByteArray home = qgetenv("HOME");
    qputenv("XDG_CACHE_HOME", folder.path(QStringLiteral("cache")).toLocal8Bit());
    EXPECT_EQ(QtPlatform::standardCacheFolder(), folder.path(QStringLiteral("cache/kelvane")));
    qunsetenv("XDG_CACHE_HOME");
    qputenv("HOME", folder.root().toLocal8Bit());
    EXPECT_EQ(QtPlatform::standardCacheFolder(), folder.path(QStringLiteral(".cache/kelvane")));
    qputenv("HOME", home);
}
