// SPDX-License-Identifier: GPL-3.0-or-later
// The solution column in the run window: its lines on the overlay, a line
// dragged, the Column dialog, and every change a step of the one history.
#include "runs/LimitsFile.h"
#include "runs/RunEdits.h"
#include "runs/RunReader.h"
#include "runwindows/ApplyRangeDialog.h"
#include "runwindows/ColumnDialog.h"
#include "runwindows/Overlay.h"
#include "runwindows/RangeChartView.h"
#include "runwindows/RunPlots.h"
#include "runwindows/RunWindow.h"
#include "runwindows/SaveSelectedDialog.h"
#include "support/Harness.h"
#include "support/RunGenerator.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cmath>

namespace
{

using Line = RangeChartView::ColumnLine;

struct ColumnRig : Harness {
    explicit ColumnRig(RunPlan runPlan)
        : Harness(NumLib::defaultCandidates(), QSize(1280, 1024))
        , plan(std::move(runPlan))
    {
    }
    // Writes the run; the scans of `cutCell` cut to a stretch of solution,
    // as another program leaves them, so that no column shows in them.
    void write(int cutCell = 0)
    {
        GeneratedRun run = GenerateRun(plan);
        for (GeneratedScan &scan : run.scans) {
            if (int(scan.header.cell) != cutCell)
                continue;
            QList<QByteArray> lines = scan.bytes.split('\n');
            QByteArray kept = lines.value(0) + '\n' + lines.value(1) + '\n';
            for (qsizetype i = 2; i < lines.size(); ++i) {
                bool ok = false;
                const double x = lines[i].trimmed().split(' ').value(0).toDouble(&ok);
                if (ok && x >= 6.9 && x <= 7.0)
                    kept += lines[i] + '\n';
            }
            scan.bytes = kept;
        }
        WriteRun(run, root);
    }
    RunWindow *open()
    {
        platform.runPathAnswers.push_back(QStringList { root });
        window->openRunAction()->trigger();
        RunWindow *w = window->runWindows().empty() ? nullptr : window->runWindows().back();
        settle();
        return w;
    }
    static void settle()
    {
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();
    }
    // Check > Column... answered with these texts ("" leaves a field) and scope.
    void typeColumn(RunWindow &w, const QStringList &values, bool everySetting)
    {
        platform.modalActions.push_back([values, everySetting](QDialog &dialog) {
            auto &column = static_cast<ColumnDialog &>(dialog);
            QLineEdit *fields[4] = { column.meniscusField(), column.bottomField(),
                column.innerField(), column.outerField() };
            for (int k = 0; k < 4; ++k) {
                if (!values[k].isEmpty())
                    fields[k]->setText(values[k]);
            }
            column.scopeBox()->setCurrentIndex(everySetting ? 1 : 0);
            column.accept();
        });
        w.columnAction()->trigger();
    }
    RunPlan plan;
    QString root = folder.path(QStringLiteral("run"));
};

RunPlan twoSpeeds()
{
    RunPlan plan;
    plan.cells = { 1, 2 };
    plan.speeds = { { 16000, 5, 12.0 }, { 24000, 5, 10.0 } };
    plan.wavelengths = { 280 };
    plan.columnShiftPerSpeed = 0.004;
    plan.realArtifacts = true;
    return plan;
}

// The pixel in the overlay's viewport at radius x, half-way up the plot.
QPoint pixelAt(RangeChartView *view, double x)
{
    const QRectF area = view->chart()->plotArea();
    const QPointF at = view->chart()->mapToPosition(QPointF(x, 0.0));
    return view->mapFromScene(view->chart()->mapToScene(QPointF(at.x(), area.center().y())));
}

void drag(RangeChartView *view, double from, double to)
{
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, pixelAt(view, from));
    QTest::mouseMove(view->viewport(), pixelAt(view, (from + to) / 2));
    QTest::mouseMove(view->viewport(), pixelAt(view, to));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, pixelAt(view, to));
}

int groupOf(RunWindow &w, int cell, int speed)
{
    const std::vector<ScanGroup> &groups = w.analysis().groups.groups;
    for (size_t g = 0; g < groups.size(); ++g) {
        if (groups[g].cell == cell && groups[g].speed == speed)
            return int(g);
    }
    return -1;
}

} // namespace

TEST(ColumnWindow, TheLinesStandAtTheFoundColumnAndASettingWithoutOneSaysSo)
{
    ColumnRig h(twoSpeeds());
    h.write(2);
    RunWindow *w = h.open();
    ASSERT_NE(w, nullptr);
    const int first = groupOf(*w, 1, 16000);
    w->chooseGroup(first);
    ColumnRig::settle();
    RangeChartView *view = w->plots()->overlayView();
    const std::optional<SolutionColumn> &found = w->analysis().columns[size_t(first)];
    ASSERT_TRUE(found);
    ASSERT_TRUE(view->column());
    EXPECT_EQ(*view->column(), *found);
    EXPECT_NEAR(found->meniscus, SampleColumn().meniscus, 0.01);
    EXPECT_NEAR(found->bottom, SampleColumn().bottom, 0.01);
    const QStringList names = view->lineNames();
    ASSERT_EQ(names.size(), 4);
    EXPECT_EQ(names[0], QStringLiteral("Meniscus %1 cm").arg(found->meniscus, 0, 'f', 4));
    EXPECT_EQ(names[1], QStringLiteral("Inner limit %1 cm").arg(found->inner, 0, 'f', 4));
    EXPECT_EQ(names[2], QStringLiteral("Outer limit %1 cm").arg(found->outer, 0, 'f', 4));
    EXPECT_EQ(names[3], QStringLiteral("Bottom %1 cm").arg(found->bottom, 0, 'f', 4));
    EXPECT_TRUE(view->accessibleDescription().contains(names[0]));
    for (int k = 0; k < RangeChartView::ColumnLines; ++k) {
        const std::optional<double> x = view->lineX(Line(k));
        ASSERT_TRUE(x) << k;
        EXPECT_EQ(view->lineAt(QPointF(*x + 2, pixelAt(view, 6.9).y())), Line(k)) << k;
    }
    // The pointer on a line names it.
    const auto hover = [view](double x) {
        const QPointF at = pixelAt(view, x);
        QMouseEvent move(QEvent::MouseMove, at, view->viewport()->mapToGlobal(at), Qt::NoButton,
            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &move);
    };
    hover(found->meniscus);
    EXPECT_EQ(view->toolTip(), names[0]);
    hover(found->bottom);
    EXPECT_EQ(view->toolTip(), names[3]);
    hover((found->inner + found->outer) / 2);
    EXPECT_TRUE(view->toolTip().startsWith(QStringLiteral("Drag to zoom")));
    EXPECT_FALSE(w->verdictLabel()->text().contains(QStringLiteral("No solution column")));

    const int cut = groupOf(*w, 2, 16000);
    w->chooseGroup(cut);
    ColumnRig::settle();
    EXPECT_FALSE(w->analysis().columns[size_t(cut)]);
    EXPECT_FALSE(view->column());
    EXPECT_TRUE(view->lineNames().isEmpty());
    EXPECT_TRUE(w->verdictLabel()->text().contains(
        QStringLiteral("No solution column found: the trimmed range is used")))
        << w->verdictLabel()->text().toStdString();
}

TEST(ColumnWindow, ALineDraggedMovesAloneWithinItsNeighboursAndUndoPutsItBack)
{
    ColumnRig h(twoSpeeds());
    h.write();
    RunWindow *w = h.open();
    ASSERT_NE(w, nullptr);
    const int group = groupOf(*w, 1, 16000);
    const int other = groupOf(*w, 1, 24000);
    w->chooseGroup(group);
    ColumnRig::settle();
    RangeChartView *view = w->plots()->overlayView();
    const SolutionColumn found = *w->analysis().columns[size_t(group)];
    const SolutionColumn otherFound = *w->analysis().columns[size_t(other)];
    const int scan = w->analysis().groups.groups[size_t(group)].scans.front();
    EXPECT_NEAR(w->analysis().checks[size_t(scan)].lo, found.inner, 1e-6);

    // The inner limit out by 0.03 cm: the check's range starts there, and
    // the plot stays still under the pointer while the differences follow.
    const auto readings = w->plots()->readingRange();
    const auto radii = w->plots()->radiusRange();
    drag(view, found.inner, found.inner + 0.03);
    const SolutionColumn moved = *w->analysis().columns[size_t(group)];
    EXPECT_EQ(w->plots()->readingRange(), readings);
    EXPECT_EQ(w->plots()->radiusRange(), radii);
    ASSERT_FALSE(w->plots()->overlay().differences.empty());
    for (const OverlayCurve &curve : w->plots()->overlay().differences) {
        if (!curve.points.empty()) {
            EXPECT_GE(curve.points.front().x(), float(moved.inner) - 1e-6);
        }
    }
    EXPECT_TRUE(moved.byHand);
    EXPECT_NEAR(moved.inner, found.inner + 0.03, 0.002);
    EXPECT_EQ(moved.meniscus, found.meniscus) << "the others stay";
    EXPECT_EQ(moved.outer, found.outer);
    EXPECT_EQ(moved.bottom, found.bottom);
    EXPECT_NEAR(w->analysis().checks[size_t(scan)].lo, moved.inner, 1e-6);
    EXPECT_EQ(*w->analysis().columns[size_t(other)], otherFound) << "another setting stays";
    EXPECT_EQ(w->undoAction()->text(), QStringLiteral("&Undo Column"));
    EXPECT_EQ(*view->column(), moved) << "drawn where it was let go";

    // The meniscus dragged far past the inner limit stops just inside it.
    drag(view, found.meniscus, moved.inner + 0.1);
    const SolutionColumn stopped = *w->analysis().columns[size_t(group)];
    EXPECT_LT(stopped.meniscus, stopped.inner);
    EXPECT_NEAR(stopped.meniscus, stopped.inner, 0.00011);
    EXPECT_EQ(stopped.inner, moved.inner);
    EXPECT_NEAR(w->analysis().checks[size_t(scan)].lo, moved.inner, 1e-6);

    w->undoAction()->trigger();
    EXPECT_EQ(*w->analysis().columns[size_t(group)], moved);
    w->undoAction()->trigger();
    EXPECT_EQ(*w->analysis().columns[size_t(group)], found);
    EXPECT_FALSE(w->analysis().columns[size_t(group)]->byHand);
    EXPECT_NEAR(w->analysis().checks[size_t(scan)].lo, found.inner, 1e-6);
    EXPECT_EQ(*view->column(), found);
    EXPECT_FALSE(w->undoAction()->isEnabled());
    EXPECT_EQ(w->redoAction()->text(), QStringLiteral("&Redo Column"));
    w->redoAction()->trigger();
    EXPECT_EQ(*w->analysis().columns[size_t(group)], moved);

    // Reset Column gives the found values back, as a step of its own.
    ASSERT_TRUE(w->resetColumnAction()->isEnabled());
    w->resetColumnAction()->trigger();
    EXPECT_EQ(*w->analysis().columns[size_t(group)], found);
    EXPECT_FALSE(w->resetColumnAction()->isEnabled());
    EXPECT_EQ(w->undoAction()->text(), QStringLiteral("&Undo Reset Column"));
    w->undoAction()->trigger();
    EXPECT_EQ(*w->analysis().columns[size_t(group)], moved);
    EXPECT_NEAR(w->analysis().checks[size_t(scan)].lo, moved.inner, 1e-6);

    // A drag off the lines moves none.
    const uint64_t revision = w->edits().revision();
    drag(view, 6.93, 6.97);
    EXPECT_EQ(w->edits().revision(), revision);
    EXPECT_EQ(*w->analysis().columns[size_t(group)], moved);
}

TEST(ColumnWindow, TheColumnDialogRefusesValuesNamingTheField)
{
    ColumnRig h(twoSpeeds());
    h.write();
    RunWindow *w = h.open();
    ASSERT_NE(w, nullptr);
    const int group = groupOf(*w, 1, 16000);
    w->chooseGroup(group);
    const SolutionColumn found = *w->analysis().columns[size_t(group)];
    struct Row {
        const char *name;
        QStringList values; // meniscus, bottom, inner, outer; "" as found
        QString message;
    };
    const Row rows[] = {
        { "meniscus not a number", { "x", "", "", "" }, "Meniscus must be a radius within" },
        { "bottom past the scans", { "", "9.5", "", "" }, "Bottom must be a radius within" },
        { "inner limit inside the scans", { "", "", "3", "" }, "Inner limit must be a radius" },
        { "meniscus past the bottom", { "7.10", "6.90", "", "" },
            "Meniscus must be below Bottom." },
        { "meniscus at the bottom", { "7.0", "7.0", "", "" }, "Meniscus must be below Bottom." },
        { "inner limit inside the meniscus", { "6.85", "", "6.84", "" },
            "Inner limit must lie between Meniscus and Bottom." },
        { "outer limit past the bottom", { "", "7.05", "", "7.06" },
            "Outer limit must lie between Meniscus and Bottom." },
        { "inner at the outer", { "", "", "6.95", "6.95" },
            "Inner limit must be below Outer limit." },
        { "inner past the outer", { "", "", "7.0", "6.9" },
            "Inner limit must be below Outer limit." },
    };
    for (const Row &row : rows) {
        bool open = false;
        h.platform.modalActions.push_back([&](QDialog &dialog) {
            auto &column = static_cast<ColumnDialog &>(dialog);
            EXPECT_EQ(column.meniscusField()->text(), QString::number(found.meniscus, 'f', 4));
            QLineEdit *fields[4] = { column.meniscusField(), column.bottomField(),
                column.innerField(), column.outerField() };
            for (int k = 0; k < 4; ++k) {
                if (!row.values[k].isEmpty())
                    fields[k]->setText(row.values[k]);
            }
            column.accept();
            open = column.isVisible();
            column.reject();
        });
        const size_t messages = h.platform.messages.size();
        w->columnAction()->trigger();
        EXPECT_TRUE(open) << row.name;
        ASSERT_EQ(h.platform.messages.size(), messages + 1) << row.name;
        EXPECT_TRUE(h.platform.messages.back().text.startsWith(row.message))
            << row.name << ": " << h.platform.messages.back().text.toStdString();
    }
    EXPECT_FALSE(w->edits().canUndo()) << "nothing refused is a step";
    EXPECT_EQ(*w->analysis().columns[size_t(group)], found);
}

TEST(ColumnWindow, EverySettingOfTheCellKeepsItsOwnStretchAndResetGivesTheFoundValues)
{
    ColumnRig h(twoSpeeds());
    h.write();
    RunWindow *w = h.open();
    ASSERT_NE(w, nullptr);
    const int slow = groupOf(*w, 1, 16000);
    const int fast = groupOf(*w, 1, 24000);
    const int otherCell = groupOf(*w, 2, 16000);
    const SolutionColumn slowFound = *w->analysis().found[size_t(slow)];
    const SolutionColumn fastFound = *w->analysis().found[size_t(fast)];
    const SolutionColumn otherFound = *w->analysis().columns[size_t(otherCell)];
    EXPECT_NEAR(fastFound.meniscus - slowFound.meniscus, 0.004, 0.003) << "the rotor stretches";
    w->chooseGroup(slow);

    h.typeColumn(*w, { "6.7900", "7.1000", "6.8200", "7.0500" }, true);
    const SolutionColumn typed { 6.79, 7.10, 6.82, 7.05, true };
    EXPECT_EQ(*w->analysis().columns[size_t(slow)], typed);
    const SolutionColumn fastSet = *w->analysis().columns[size_t(fast)];
    EXPECT_TRUE(fastSet.byHand);
    EXPECT_NEAR(fastSet.meniscus, 6.79 + fastFound.meniscus - slowFound.meniscus, 1e-5);
    EXPECT_NEAR(fastSet.bottom, 7.10 + fastFound.bottom - slowFound.bottom, 1e-5);
    EXPECT_NEAR(fastSet.inner, 6.82 + fastFound.inner - slowFound.inner, 1e-5);
    EXPECT_NEAR(fastSet.outer, 7.05 + fastFound.outer - slowFound.outer, 1e-5);
    EXPECT_EQ(*w->analysis().columns[size_t(otherCell)], otherFound) << "another cell stays";
    EXPECT_EQ(w->undoAction()->text(), QStringLiteral("&Undo Column"));
    const int fastScan = w->analysis().groups.groups[size_t(fast)].scans.front();
    EXPECT_NEAR(w->analysis().checks[size_t(fastScan)].lo, fastSet.inner, 1e-6);

    // This setting alone.
    h.typeColumn(*w, { "", "", "6.8300", "" }, false);
    EXPECT_EQ(w->analysis().columns[size_t(slow)]->inner, 6.83);
    EXPECT_EQ(*w->analysis().columns[size_t(fast)], fastSet);

    // Reset in the dialog fills the found values; accepted, the setting is
    // as found again, one step.
    h.platform.modalActions.push_back([&](QDialog &dialog) {
        auto &column = static_cast<ColumnDialog &>(dialog);
        ASSERT_TRUE(column.resetButton()->isEnabled());
        column.resetButton()->click();
        EXPECT_EQ(column.innerField()->text(), QString::number(slowFound.inner, 'f', 4));
        column.accept();
    });
    w->columnAction()->trigger();
    EXPECT_EQ(*w->analysis().columns[size_t(slow)], slowFound);
    EXPECT_EQ(w->undoAction()->text(), QStringLiteral("&Undo Reset Column"));
    w->undoAction()->trigger();
    w->undoAction()->trigger();
    EXPECT_EQ(*w->analysis().columns[size_t(slow)], typed);
    w->undoAction()->trigger();
    EXPECT_EQ(*w->analysis().columns[size_t(slow)], slowFound);
    EXPECT_EQ(*w->analysis().columns[size_t(fast)], fastFound);
}

TEST(ColumnWindow, ApplyRangeOffersTheFitLimitsAndClosingAsksForColumnsSetByHand)
{
    ColumnRig h(twoSpeeds());
    h.write();
    RunWindow *w = h.open();
    ASSERT_NE(w, nullptr);
    const int group = groupOf(*w, 1, 16000);
    w->chooseGroup(group);
    const SolutionColumn found = *w->analysis().columns[size_t(group)];
    h.platform.modalActions.push_back([&](QDialog &dialog) {
        auto &range = static_cast<ApplyRangeDialog &>(dialog);
        ASSERT_NE(range.fitLimitsButton(), nullptr);
        range.fitLimitsButton()->click();
        EXPECT_EQ(range.fromField()->text().toDouble(), found.inner);
        EXPECT_EQ(range.toField()->text().toDouble(), found.outer);
        range.reject();
    });
    w->applyRangeAction()->trigger();

    // Closing with nothing set by hand asks nothing.
    EXPECT_FALSE(w->limitsUnsaved());
    h.typeColumn(*w, { "", "", "6.8500", "" }, false);
    ASSERT_TRUE(w->limitsUnsaved());
    const size_t messages = h.platform.messages.size();
    h.platform.messageAnswers.push_back(MsgAnswer::No);
    EXPECT_FALSE(w->close());
    ASSERT_EQ(h.platform.messages.size(), messages + 1);
    EXPECT_TRUE(h.platform.messages.back().text.contains(
        QStringLiteral("solution columns set by hand are not saved")));
    // Undone back to the columns it was opened with, there is nothing to lose.
    w->undoAction()->trigger();
    EXPECT_FALSE(w->limitsUnsaved());
    EXPECT_TRUE(w->close());
    EXPECT_EQ(h.platform.messages.size(), messages + 1);
}

TEST(ColumnWindow, SavedLimitsLoadBackAsOneStepAndTheBadLinesAreNamed)
{
    ColumnRig h(twoSpeeds());
    h.write();
    RunWindow *w = h.open();
    ASSERT_NE(w, nullptr);
    const int slow = groupOf(*w, 1, 16000);
    const int other = groupOf(*w, 2, 24000);
    w->chooseGroup(slow);
    h.typeColumn(*w, { "", "", "6.8500", "" }, false);
    ASSERT_TRUE(w->limitsUnsaved());
    const SolutionColumn set = *w->analysis().columns[size_t(slow)];

    const QString saved = h.folder.path(QStringLiteral("limits.csv"));
    h.platform.fileAnswers.push_back(saved);
    w->saveLimitsAction()->trigger();
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    EXPECT_EQ(bytes, LimitsCsv(w->analysis()));
    EXPECT_FALSE(w->limitsUnsaved()) << "saved columns are nothing to lose";

    // A changed copy: one column moved, a line of another cell's run, a bad line.
    QList<QByteArray> lines = bytes.split('\n');
    QByteArray changed = lines[0] + "\r\n";
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        if (lines[i].startsWith("2,0,R,") && lines[i].contains(",24000,")) {
            QList<QByteArray> f = lines[i].split(',');
            f[7] = QByteArray::number(f[7].toDouble() + 0.01, 'f', 5);
            lines[i] = f.join(',');
        }
        changed += lines[i] + "\r\n";
    }
    const int firstBad = int(lines.size()); // after the header and every row
    changed += "9,0,R,280,16000,6.80000,7.10000,6.82000,7.07000,no\r\n";
    changed += "1,0,R,280,16000,6.80000,x,6.82000,7.07000,no\r\n";
    const QString edited = h.folder.path(QStringLiteral("edited.csv"));
    {
        QFile out(edited);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(changed);
    }
    h.typeColumn(*w, { "", "", "6.8600", "" }, false); // changed after the save
    const SolutionColumn otherBefore = *w->analysis().columns[size_t(other)];
    const size_t messages = h.platform.messages.size();
    h.platform.fileAnswers.push_back(edited);
    w->loadLimitsAction()->trigger();
    ASSERT_EQ(h.platform.messages.size(), messages + 1) << "one message for every bad line";
    const QString said = h.platform.messages.back().text;
    EXPECT_TRUE(said.contains(QStringLiteral("line %1 matches no setting").arg(firstBad)))
        << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("line %1:").arg(firstBad + 1))) << said.toStdString();
    EXPECT_EQ(*w->analysis().columns[size_t(slow)], set) << "the file's column is back";
    const SolutionColumn otherLoaded = *w->analysis().columns[size_t(other)];
    EXPECT_TRUE(otherLoaded.byHand);
    EXPECT_NEAR(otherLoaded.inner, otherBefore.inner + 0.01, 1e-9);
    EXPECT_FALSE(w->limitsUnsaved()) << "what a file holds is nothing to lose";

    // One step: undone, both settings are as before the load.
    w->undoAction()->trigger();
    EXPECT_DOUBLE_EQ(w->analysis().columns[size_t(slow)]->inner, 6.86);
    EXPECT_EQ(*w->analysis().columns[size_t(other)], otherBefore);
    w->redoAction()->trigger();
    EXPECT_EQ(*w->analysis().columns[size_t(other)], otherLoaded);

    // A file that is no limits file changes nothing, and says why.
    const QString table = h.folder.path(QStringLiteral("table.csv"));
    {
        QFile out(table);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("file,cell\nA.RA1,1\n");
    }
    const std::vector<ColumnLimits> before = w->analysis().options.limits;
    h.platform.fileAnswers.push_back(table);
    w->loadLimitsAction()->trigger();
    EXPECT_TRUE(h.platform.messages.back().text.contains(QStringLiteral("is not a limits file")));
    EXPECT_EQ(w->analysis().options.limits.size(), before.size());
}

TEST(ColumnWindow, SuggestionsAndSavesKeptWithinTheColumn)
{
    ColumnRig h(twoSpeeds());
    h.write(2); // cell 2 shows no column
    RunWindow *w = h.open();
    ASSERT_NE(w, nullptr);
    const int group = groupOf(*w, 1, 16000);
    w->chooseGroup(group);
    const SolutionColumn column = *w->analysis().columns[size_t(group)];
    const std::vector<int> chosen = w->chosen();
    const auto removed = [&](bool outside) {
        int count = 0;
        for (int index : chosen) {
            const Scan &scan = w->run().scans[size_t(index)];
            for (int i = 0; i < scan.numPoints; ++i) {
                const bool out = scan.x(i) < float(column.inner) || scan.x(i) > float(column.outer);
                count += scan.flag(i) < 0.0f && out == outside ? 1 : 0;
            }
        }
        return count;
    };

    // The whole scans: the spikes at the meniscus and the base go too.
    w->removeSuggestedAction()->trigger();
    const int wholeOutside = removed(true);
    EXPECT_GT(wholeOutside, 0) << "the generated scans have spikes outside the column";
    w->undoAction()->trigger();
    ASSERT_EQ(removed(true) + removed(false), 0);

    w->removeSuggestedWithinAction()->trigger();
    EXPECT_EQ(removed(true), 0);
    EXPECT_GT(removed(false), 0);
    EXPECT_EQ(h.platform.messages.back().title, QStringLiteral("Remove Suggested Within Column"));
    w->undoAction()->trigger();

    // A setting without a column is left as it is, and the message says so.
    const int bare = groupOf(*w, 2, 16000);
    w->chooseGroup(bare);
    ASSERT_FALSE(w->analysis().columns[size_t(bare)]);
    w->removeSuggestedWithinAction()->trigger();
    EXPECT_TRUE(h.platform.messages.back().text.contains(
        QStringLiteral("%1 scans without a solution column were left as they are")
            .arg(w->chosen().size())))
        << h.platform.messages.back().text.toStdString();

    // Saved within the column: the files hold the fit limits alone; the run
    // keeps its points, and a save without the box holds the whole scan.
    w->chooseGroup(group);
    const auto save = [&](const QString &name, bool inside) {
        const QString folder = h.folder.path(name);
        h.platform.modalActions.push_back([&, folder, inside](QDialog &dialog) {
            auto &s = static_cast<SaveSelectedDialog &>(dialog);
            ASSERT_NE(s.withinColumnBox(), nullptr);
            s.folderField()->setText(folder);
            s.truncatedButton()->setChecked(true);
            s.radiusButton()->setChecked(true);
            s.withinColumnBox()->setChecked(inside);
            s.accept();
        });
        h.platform.messageAnswers.push_back(MsgAnswer::Yes); // make the folder
        w->saveSelectedAction()->trigger();
        return ReadRun({ folder }, h.numlib);
    };
    const ::Run cut = save(QStringLiteral("within"), true);
    ASSERT_EQ(cut.scans.size(), chosen.size());
    for (const Scan &scan : cut.scans) {
        EXPECT_GE(scan.x(0), float(column.inner)) << scan.name.toStdString();
        EXPECT_LE(scan.x(scan.numPoints - 1), float(column.outer)) << scan.name.toStdString();
    }
    for (int index : chosen)
        EXPECT_FALSE(w->run().scans[size_t(index)].edited);
    const ::Run whole = save(QStringLiteral("whole"), false);
    ASSERT_EQ(whole.scans.size(), chosen.size());
    EXPECT_LT(whole.scans[0].x(0), float(column.meniscus));
}
