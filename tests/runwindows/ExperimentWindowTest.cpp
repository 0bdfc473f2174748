// SPDX-License-Identifier: GPL-3.0-or-later
// Runs that hold more than one experiment, and verdicts that say why.
#include "core/NumLib.h"
#include "runs/RunAnalysis.h"
#include "runs/RunReader.h"
#include "runs/RunReport.h"
#include "runs/Verdict.h"
#include "runwindows/RunTree.h"
#include "runwindows/RunWindow.h"
#include "support/Harness.h"
#include "support/RunGenerator.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTreeView>

namespace
{

RunPlan oneCell(int scans, double tauHours)
{
    RunPlan plan;
    plan.cells = { 1 };
    plan.speeds = { { 16000, scans, tauHours } };
    plan.wavelengths = { 280 };
    return plan;
}

} // namespace

TEST(Experiments, CopiesOfOneRunAreJudgedApartAndShownApart)
{
    // One run whose scans keep changing, and the same run copied beside it.
    Harness h;
    const GeneratedRun changing = GenerateRun(oneCell(12, 60.0));
    const QString root = h.folder.path(QStringLiteral("runs"));
    ASSERT_TRUE(WriteRun(changing, root + QStringLiteral("/first")));
    ASSERT_TRUE(WriteRun(changing, root + QStringLiteral("/second")));
    NumLib numlib;
    const ::Run run = ReadRun({ root }, numlib);
    ASSERT_EQ(run.scans.size(), 24u);
    const RunAnalysis analysis = AnalyseRun(run);
    ASSERT_EQ(analysis.groups.groups.size(), 2u);
    for (const ScanGroup &group : analysis.groups.groups) {
        EXPECT_EQ(group.scans.size(), 12u);
        EXPECT_FALSE(analysis.verdicts[size_t(group.number - 1)].reached)
            << "a scan compared with its own copy would score 0";
    }
    EXPECT_EQ(ReportCell(run, analysis, 0, ReportColumn::Group), ReportValue(int64_t(1)));
    EXPECT_EQ(ReportCell(run, analysis, 12, ReportColumn::Group), ReportValue(int64_t(2)));

    // The window's tree names each folder above its cells.
    h.platform.runPathAnswers.push_back(QStringList { root });
    h.window->openRunAction()->trigger();
    ASSERT_EQ(h.window->runWindows().size(), 1u);
    RunWindow &w = *h.window->runWindows().front();
    const QAbstractItemModel *tree = w.tree()->model();
    ASSERT_EQ(tree->rowCount(), 2);
    EXPECT_EQ(tree->index(0, 0).data().toString(), QStringLiteral("first"));
    EXPECT_EQ(tree->index(1, 0).data().toString(), QStringLiteral("second"));
    EXPECT_EQ(tree->index(0, 1).data().toString(), QStringLiteral("12"));
    const QModelIndex cell = tree->index(0, 0, tree->index(1, 0));
    EXPECT_EQ(cell.data().toString(), QStringLiteral("Cell 1"));
    for (int scan : RunTreeModel::scansOf(cell))
        EXPECT_TRUE(w.run().scans[size_t(scan)].path.contains(QStringLiteral("/second/")));
}

TEST(Verdicts, SayWhetherTheyCouldJudgeAndWhichSideOfTheLimitAScoreIs)
{
    EXPECT_EQ(ScoreText(3.44), QStringLiteral("3.4"));
    EXPECT_EQ(ScoreText(2.049), QStringLiteral("2.05")) << "2.0 would read as the limit itself";
    EXPECT_EQ(ScoreText(1.96), QStringLiteral("1.96"));
    EXPECT_EQ(ScoreText(2.0004), QStringLiteral("2.0004"));
    EXPECT_EQ(ScoreText(2.0), QStringLiteral("2.0"));

    Harness h;
    const QString root = h.folder.path(QStringLiteral("run"));
    ASSERT_TRUE(WriteRun(GenerateRun(oneCell(3, 10.0)), root));
    h.platform.runPathAnswers.push_back(QStringList { root });
    h.window->openRunAction()->trigger();
    ASSERT_EQ(h.window->runWindows().size(), 1u);
    RunWindow &w = *h.window->runWindows().front();
    EXPECT_EQ(VerdictText(w.run(), w.analysis(), 0),
        QStringLiteral(
            "Too few scans to judge: the setting has 3 scans; the check needs at least 4"));
    const QModelIndex group = w.treeModel()->groupIndex(0);
    EXPECT_EQ(group.siblingAtColumn(3).data().toString(), QStringLiteral("too few scans"));
}
