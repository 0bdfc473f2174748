// SPDX-License-Identifier: GPL-3.0-or-later
// A whole run made ready for the fitting program: split into its sample
// columns, trimmed, cleaned and saved, through the run window and through
// `kelvane --export`, which must write the same bytes.
#include "runs/ChannelSplit.h"
#include "runs/RunEdits.h"
#include "runwindows/ColumnChartView.h"
#include "runwindows/Overlay.h"
#include "runwindows/RunWindow.h"
#include "runwindows/SplitChannelsDialog.h"
#include "support/CommandSupport.h"
#include "support/RunEditRig.h"
#include "support/RunGenerator.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QTableWidget>
#include <QTest>

namespace
{

RunPlan threeColumnPlan()
{
    RunPlan plan = SixChannelPlan();
    plan.cells = { 1, 2 };
    plan.speeds = { { 16000, 4, 10.0 }, { 24000, 4, 6.0 } };
    return plan;
}

// Every file in `folder` by name, with its bytes.
std::map<QString, QByteArray> filesIn(const QString &folder)
{
    std::map<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files))
        files[name] = readFileBytes(QDir(folder).filePath(name));
    return files;
}

} // namespace

TEST(SplitExport, AThreeColumnRunGivesTheSameFilesThroughTheWindowAndTheCommandLine)
{
    RunEditRig h(threeColumnPlan());
    RunWindow *w = h.openRun();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->run().scans.size(), 16u);
    w->chooseGroup(0); // cell 1: its scans at both speeds are split

    // The proposal: one setting per cell and speed, each with three columns
    // a few points inside where the generator put them.
    h.platform.modalActions.push_back([&h](QDialog &dialog) {
        auto &split = static_cast<SplitChannelsDialog &>(dialog);
        ASSERT_EQ(split.settings().size(), 2u);
        EXPECT_EQ(split.settingBox()->count(), 2);
        EXPECT_EQ(split.settingBox()->itemText(1), QStringLiteral("Cell 1, 24000 rpm: 3 columns"));
        for (size_t s = 0; s < 2; ++s) {
            const std::vector<SampleColumn> columns = ColumnsAt(h.plan, int(s));
            const ChannelSetting &setting = split.settings()[s];
            ASSERT_EQ(setting.columns.size(), 3u);
            for (size_t k = 0; k < 3; ++k) {
                EXPECT_GT(setting.columns[k].from, columns[k].meniscus - 1e-5);
                EXPECT_LT(setting.columns[k].from, columns[k].meniscus + 4 * 0.003);
                EXPECT_LT(setting.columns[k].to, columns[k].bottom + 1e-5);
                EXPECT_GT(setting.columns[k].to, columns[k].bottom - 4 * 0.003);
            }
        }
        // The table shows the chart's edges and takes typed ones.
        QTableWidget *table = split.columnTable();
        ASSERT_EQ(table->rowCount(), 3);
        EXPECT_EQ(table->item(1, 0)->text().toDouble(),
            std::round(split.settings()[0].columns[1].from * 1e4) / 1e4);
        const double typed = split.settings()[0].columns[1].from + 0.01;
        table->item(1, 0)->setText(QString::number(typed, 'f', 4));
        EXPECT_DOUBLE_EQ(
            split.chartView()->columns()[1].from, QString::number(typed, 'f', 4).toDouble());
        // A handle dragged moves its edge, never past its neighbour.
        ColumnChartView *view = split.chartView();
        view->resize(800, 400);
        QCoreApplication::processEvents();
        const QPointF handle = view->handlePosition(2);
        const QPointF far = view->handlePosition(1) - QPointF(40, 0);
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, handle.toPoint());
        QTest::mouseMove(view->viewport(), far.toPoint());
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, far.toPoint());
        EXPECT_GT(view->columns()[1].from, view->columns()[0].to);
        EXPECT_DOUBLE_EQ(split.settings()[0].columns[1].from, view->columns()[1].from);
        // Back to the proposal for the comparison with the command line.
        split.reject();
    });
    w->splitChannelsAction()->trigger();
    EXPECT_EQ(w->run().scans.size(), 16u) << "cancelled: nothing split";

    h.platform.modalActions.push_back([](QDialog &dialog) { dialog.accept(); });
    h.chooseAll(*w);
    w->splitChannelsAction()->trigger();
    ASSERT_EQ(w->run().scans.size(), 48u);
    EXPECT_TRUE(w->run().scans[0].name.contains(QStringLiteral("-c1.")));
    EXPECT_EQ(w->run().scans[0].column, 1);
    EXPECT_EQ(w->chosen().size(), 48u) << "the columns take the place of the chosen scans";
    // Grouped and checked like any scan, each column a setting of its own.
    const auto &groups = w->analysis().groups.groups;
    EXPECT_EQ(groups.size(), 3 * 2 * 2 * 3u); // columns, cells, speeds, wavelengths
    for (const ScanGroup &group : groups) {
        for (int scan : group.scans)
            EXPECT_EQ(w->run().scans[size_t(scan)].column, group.column);
    }
    EXPECT_EQ(GroupText(groups[1]).left(17), QStringLiteral("Cell 1, column 1,"));

    w->removeSuggestedAction()->trigger();
    const QString windowOut = h.folder.path(QStringLiteral("window"));
    h.saveSelected(*w, windowOut, false, true);
    EXPECT_TRUE(h.platform.messages.back().text.startsWith(QStringLiteral("48 of 48 scans saved")))
        << h.platform.messages.back().text.toStdString();

    const QString cliOut = h.folder.path(QStringLiteral("cli"));
    const Finished done = kelvane({ QStringLiteral("--export"), cliOut,
        QStringLiteral("--split-channels"), QStringLiteral("--remove-suggested"), h.root });
    ASSERT_EQ(done.status, 0) << done.err.toStdString();
    EXPECT_EQ(done.out.count('\n'), 48);
    const auto fromWindow = filesIn(windowOut);
    EXPECT_EQ(fromWindow.size(), 48u);
    EXPECT_EQ(filesIn(cliOut), fromWindow);

    // Undone, the run is as read again.
    while (w->undoAction()->isEnabled())
        w->undoAction()->trigger();
    EXPECT_EQ(w->run().scans.size(), 16u);
    for (const Scan &scan : w->run().scans)
        EXPECT_FALSE(scan.edited || scan.column > 0);
    w->close();
}

TEST(SplitExport, RangeAndLayoutsMatchTheWindowAndOneColumnScansAreNotSplit)
{
    RunPlan plan;
    plan.speeds = { { 16000, 3, 12.0 } };
    RunEditRig h(plan);
    RunWindow *w = h.openRun();
    ASSERT_NE(w, nullptr);
    h.chooseAll(*w);
    h.platform.messageAnswers.push_back(MsgAnswer::Ok);
    w->splitChannelsAction()->trigger();
    EXPECT_TRUE(h.platform.messages.back().text.contains(QStringLiteral("nothing to split")));

    h.applyRange(*w, QStringLiteral("6.86"), QStringLiteral("7.1"));
    w->removeSuggestedAction()->trigger();
    const QString windowOut = h.folder.path(QStringLiteral("window"));
    h.saveSelected(*w, windowOut, true, false);

    const QString cliOut = h.folder.path(QStringLiteral("cli"));
    Finished done = kelvane(
        { QStringLiteral("--export=") + cliOut, QStringLiteral("--from"), QStringLiteral("6.86"),
            QStringLiteral("--to=7.1"), QStringLiteral("--complete"), QStringLiteral("--xi"),
            QStringLiteral("--remove-suggested"), QStringLiteral("--split-channels"), h.root });
    ASSERT_EQ(done.status, 0) << done.err.toStdString();
    EXPECT_EQ(filesIn(cliOut), filesIn(windowOut));
    EXPECT_EQ(filesIn(cliOut).size(), 6u);

    // Again into the same folder: nothing is replaced, each file is named.
    const auto before = filesIn(cliOut);
    done = kelvane({ QStringLiteral("--export"), cliOut, h.root });
    EXPECT_EQ(done.status, 2);
    EXPECT_EQ(done.err.count("it exists already and was not replaced"), 6)
        << done.err.toStdString();
    EXPECT_EQ(filesIn(cliOut), before);
    // Never into the run's own folder over its files.
    const auto sources = filesIn(h.root);
    done = kelvane({ QStringLiteral("--export"), h.root, h.root });
    EXPECT_EQ(done.status, 2);
    EXPECT_EQ(done.err.count("never replaced"), 6);
    EXPECT_EQ(filesIn(h.root), sources);
    // A folder that cannot be made.
    const QString under = QDir(h.root).filePath(sources.begin()->first) + QStringLiteral("/x");
    done = kelvane({ QStringLiteral("--export"), under, h.root });
    EXPECT_EQ(done.status, 2);
    EXPECT_TRUE(done.err.contains("cannot be made"));
    // A range that holds no point of the scans: named, and nothing written.
    const QString empty = h.folder.path(QStringLiteral("empty"));
    done = kelvane({ QStringLiteral("--export"), empty, QStringLiteral("--from"),
        QStringLiteral("9"), QStringLiteral("--to"), QStringLiteral("10"), h.root });
    EXPECT_EQ(done.status, 2);
    EXPECT_EQ(done.err.count("no point lies in the range"), 6);
    EXPECT_TRUE(filesIn(empty).empty());
    w->close();
}

TEST(SplitExport, UsageErrorsExitWithOne)
{
    const struct {
        QStringList arguments;
        const char *message;
    } rows[] = {
        { { "--export", "out" }, "--export needs at least one PATH" },
        { { "--export" }, "--export needs a folder" },
        { { "--export", "out", "--complete", "--truncated", "x" },
            "--complete and --truncated exclude each other" },
        { { "--xi", "x" }, "go with --export" },
        { { "--report", "--export", "out", "x" }, "--export and --report exclude each other" },
        { { "--export", "out", "--from", "7", "--to", "6", "x" }, "--from must be below --to" },
    };
    for (const auto &row : rows) {
        const Finished done = kelvane(row.arguments);
        EXPECT_EQ(done.status, 1) << row.arguments.join(u' ').toStdString();
        EXPECT_TRUE(done.err.contains(row.message)) << done.err.toStdString();
        EXPECT_TRUE(done.out.isEmpty());
    }
}

TEST(SplitExport, BadColumnsAreRefusedNamingTheColumn)
{
    RunEditRig h(threeColumnPlan());
    RunWindow *w = h.openRun();
    ASSERT_NE(w, nullptr);
    h.platform.modalActions.push_back([&h](QDialog &dialog) {
        auto &split = static_cast<SplitChannelsDialog &>(dialog);
        QTableWidget *table = split.columnTable();
        const QString good = table->item(2, 0)->text();
        table->item(2, 0)->setText(QStringLiteral("x"));
        split.accept();
        EXPECT_TRUE(split.isVisible());
        EXPECT_EQ(h.platform.messages.back().text,
            QStringLiteral("Column c3: its radii must be numbers."));
        table->item(2, 0)->setText(table->item(1, 0)->text()); // where c2 starts
        split.accept();
        EXPECT_TRUE(split.isVisible());
        EXPECT_EQ(h.platform.messages.back().text,
            QStringLiteral("Column c3 of cell 1 at 16000 rpm: it must start after column c2 "
                           "ends."));
        table->item(2, 0)->setText(good);
        split.reject();
    });
    w->splitChannelsAction()->trigger();
    EXPECT_EQ(w->run().scans.size(), 16u);
    EXPECT_FALSE(w->edits().canUndo());
    w->close();
}
