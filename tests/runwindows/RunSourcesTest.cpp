// SPDX-License-Identifier: GPL-3.0-or-later
// The files a run was read from, through the run window: never written
// over, whatever was done to their scans since.
#include "runwindows/RunFilterModel.h"
#include "runwindows/RunTableModel.h"
#include "runwindows/RunWindow.h"
#include "support/CommandSupport.h"
#include "support/RunEditRig.h"
#include "support/RunGenerator.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QTableView>

namespace
{

// Cell 1 of a six-channel centerpiece in run/a, and in run/b a one-column
// cell 1 at another speed whose scans have the same names.
struct TwoFolderRig : RunEditRig {
    TwoFolderRig()
        : RunEditRig(sixChannel())
    {
        QDir(root).mkdir(QStringLiteral("a"));
        for (const QString &name : QDir(root).entryList(QDir::Files))
            QFile::rename(root + QLatin1Char('/') + name, root + QStringLiteral("/a/") + name);
        RunPlan single;
        single.cells = { 1 };
        single.speeds = { { 30000, 3, 6.0 } };
        single.variants = false;
        WriteRun(GenerateRun(single), root + QStringLiteral("/b"));
    }
    static RunPlan sixChannel()
    {
        RunPlan plan = SixChannelPlan();
        plan.cells = { 1 };
        plan.speeds = { { 16000, 3, 10.0 } };
        plan.variants = false;
        return plan;
    }
};

} // namespace

TEST(RunSources, SaveSelectedNeverReplacesAFileWhoseScanWasSplit)
{
    TwoFolderRig h;
    RunWindow *w = h.openRun();
    ASSERT_NE(w, nullptr);
    std::vector<int> inA;
    for (size_t i = 0; i < w->run().scans.size(); ++i) {
        if (w->run().scans[i].shown.startsWith(QStringLiteral("a/")))
            inA.push_back(int(i));
    }
    ASSERT_EQ(inA.size(), 3u);
    w->choose(inA);
    h.platform.modalActions.push_back([](QDialog &dialog) { dialog.accept(); });
    w->splitChannelsAction()->trigger();
    ASSERT_EQ(w->run().scans.size(), 3 * 3 + 3u);

    // b/00001.RA1 has the name of a/00001.RA1, whose scan is now three
    // columns. Saved into a/ with Yes to replacing, it must still be refused.
    int twin = -1;
    for (size_t i = 0; i < w->run().scans.size(); ++i) {
        if (w->run().scans[i].shown == QStringLiteral("b/00001.RA1"))
            twin = int(i);
    }
    ASSERT_GE(twin, 0);
    const QString original = h.root + QStringLiteral("/a/00001.RA1");
    const QByteArray before = readFileBytes(original);
    ASSERT_FALSE(before.isEmpty());
    w->choose({ twin });
    h.platform.messageAnswers.push_back(MsgAnswer::Yes);
    h.saveSelected(*w, h.root + QStringLiteral("/a"), false, true);
    EXPECT_TRUE(h.platform.messages.back().text.contains(
        QStringLiteral("00001.RA1: it is a file of the run, which is never replaced")))
        << h.platform.messages.back().text.toStdString();
    EXPECT_EQ(readFileBytes(original), before);
    h.platform.messageAnswers.push_back(MsgAnswer::Yes);
    w->close();
}

TEST(RunSources, ARunNamedByRelativePathsExportsTheReportsBytesAndOpensItsScansAfterTheFolderMoves)
{
    RunEditRig h(RunPlan {});
    const QString folder = QDir::currentPath();
    ASSERT_EQ(folder, h.folder.root());
    const QStringList named = { QStringLiteral("run"), QStringLiteral("./run/00002.RA1") };
    h.window->openRun(named);
    ASSERT_EQ(h.window->runWindows().size(), 1u);
    RunWindow *w = h.window->runWindows().back();
    EXPECT_EQ(w->run().scans[0].path, QStringLiteral("run/00001.RA1")) << "the path as found";
    EXPECT_EQ(w->run().scans[0].file, h.root + QStringLiteral("/00001.RA1"));

    const Finished report = kelvane(
        QStringList { QStringLiteral("--report") } + named, CommandPlace { folder, false });
    ASSERT_EQ(report.status, 0) << report.err.toStdString();
    const auto exported = [&h, w](const QString &name) {
        h.platform.fileAnswers.push_back(h.folder.path(name));
        w->exportTableAction()->trigger();
        return readFileBytes(h.folder.path(name));
    };
    EXPECT_EQ(exported(QStringLiteral("table.csv")), report.out);

    // Opening scans moves the current folder: each still opens by its
    // whole path, and the table's bytes stay the report's.
    for (const int scan : { 3, 5 }) {
        w->table()->setCurrentIndex(
            w->filterModel()->mapFromSource(w->tableModel()->index(scan, 0)));
        w->openScanAction()->trigger();
        EXPECT_EQ(h.state->ReadPath, w->run().scans[size_t(scan)].file);
        EXPECT_EQ(h.state->NumPts, w->run().scans[size_t(scan)].numPoints);
    }
    EXPECT_NE(QDir::currentPath(), folder);
    EXPECT_TRUE(h.platform.messages.empty());
    EXPECT_EQ(exported(QStringLiteral("again.csv")), report.out);
    w->close();
}
