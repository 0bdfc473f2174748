#include "runs/RunWindow.h"
#include "runs/RunFilterModel.h"
#include "runs/RunPlots.h"
#include "runs/RunReport.h"
#include "runs/RunTableModel.h"
#include "runs/RunTree.h"
#include "support/Harness.h"
#include "support/RunGenerator.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineSeries>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTreeView>
#include <QUrl>

#include <set>

namespace
{

// Files dragged over the main window and dropped there.
bool drop(MainWindow &window, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QDropEvent dropped(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &dropped);
    QCoreApplication::processEvents(); // the run is read once the drop has returned
    return enter.isAccepted() && dropped.isAccepted();
}

// A harness with a generated run of three cells in "run" under its folder.
struct RunRig : Harness {
    GeneratedRun generated;
    QString root = folder.path(QStringLiteral("run"));
    RunRig()
    {
        RunPlan plan;
        plan.cells = { 1, 2, 3 };
        plan.speeds = { { 16000, 6, 12.0 }, { 24000, 6, 10.0 } };
        generated = GenerateRun(plan);
        WriteRun(generated, root);
    }
    // File > Open Run... answered with `paths`; the run window it opened.
    RunWindow *openRun(const QStringList &paths)
    {
        platform.runPathAnswers.push_back(paths);
        window->openRunAction()->trigger();
        return window->runWindows().empty() ? nullptr : window->runWindows().back();
    }
};

int seriesCount(QChartView *view)
{
    return int(view->chart()->series().size());
}

int rowOfScan(RunWindow &w, const QString &shown)
{
    for (int row = 0; row < w.filterModel()->rowCount(); ++row) {
        if (w.filterModel()->index(row, 0).data().toString() == shown)
            return row;
    }
    return -1;
}

} // namespace

TEST(RunWindow, OpenRunShowsTheTableTheGroupsAndTheFirstGroupPlotted)
{
    RunRig h;
    RunWindow *w = h.openRun({ h.root });
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(h.platform.log.filter(QStringLiteral("run ")), QStringList { "run Open Run" });
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Run - run"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->table()->model()->rowCount(), 36);
    EXPECT_FALSE(w->failuresView()->parentWidget()->isVisibleTo(w)) << "every file was read";

    // The tree: three cells, each with three wavelength bands of two speeds.
    const QAbstractItemModel *tree = w->tree()->model();
    ASSERT_EQ(tree->rowCount(), 3);
    EXPECT_EQ(tree->index(0, 0).data().toString(), QStringLiteral("Cell 1"));
    EXPECT_EQ(tree->index(0, 1).data().toString(), QStringLiteral("12"));
    const QModelIndex cell1 = tree->index(0, 0);
    ASSERT_EQ(tree->rowCount(cell1), 3);
    EXPECT_TRUE(
        tree->index(0, 0, cell1).data().toString().startsWith(QStringLiteral("Absorbance, 23")));
    const QModelIndex band = tree->index(2, 0, cell1);
    EXPECT_TRUE(band.data().toString().startsWith(QStringLiteral("Absorbance, 28")))
        << band.data().toString().toStdString();
    ASSERT_EQ(tree->rowCount(band), 2);
    EXPECT_EQ(tree->index(0, 0, band).data().toString(), QStringLiteral("16000 rpm"));
    EXPECT_EQ(tree->index(1, 0, band).data().toString(), QStringLiteral("24000 rpm"));
    EXPECT_EQ(tree->index(0, 1, band).data().toString(), QStringLiteral("2"));

    // The first group is chosen: its scans plotted and their rows selected.
    const ScanGroup &first = w->analysis().groups.groups.front();
    EXPECT_EQ(w->chosen(), first.scans);
    EXPECT_EQ(seriesCount(w->plots()->overlayView()), int(first.scans.size()));
    EXPECT_EQ(seriesCount(w->plots()->differenceView()), int(first.scans.size()) - 1)
        << "each scan but the last, minus the last";
    EXPECT_EQ(w->table()->selectionModel()->selectedRows().size(), qsizetype(first.scans.size()));
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(RunWindow, ChoosingInTheTreeOrTheTablePlotsThoseScansColouredByTime)
{
    RunRig h;
    RunWindow *w = h.openRun({ h.root });
    ASSERT_NE(w, nullptr);
    // A whole cell from the tree.
    w->tree()->setCurrentIndex(w->tree()->model()->index(1, 0));
    EXPECT_EQ(w->chosen().size(), 12u);
    EXPECT_EQ(seriesCount(w->plots()->overlayView()), 12);
    for (int scan : w->chosen())
        EXPECT_EQ(w->run().scans[size_t(scan)].header->cell, 2);

    // Two rows of the table.
    w->table()->clearSelection();
    w->table()->selectionModel()->select(
        w->table()->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    w->table()->selectionModel()->select(
        w->table()->model()->index(5, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_EQ(w->chosen().size(), 2u);
    const Overlay &overlay = w->plots()->overlay();
    ASSERT_EQ(overlay.scans.size(), 2u);
    // Earliest dark, latest bright; the colour scale spans their times.
    EXPECT_EQ(overlay.scans[0].colour, TimeColour(0.0));
    EXPECT_EQ(overlay.scans[1].colour, TimeColour(1.0));
    EXPECT_LT(overlay.firstHours, overlay.lastHours);
    // The hover names the scan.
    w->plots()->hoverScan(overlay.scans[1].scan);
    EXPECT_TRUE(w->plots()->hoverLabel()->text().startsWith(
        w->run().scans[size_t(overlay.scans[1].scan)].name + QStringLiteral("  (")));
    w->plots()->hoverScan(-1);
    EXPECT_EQ(w->plots()->hoverLabel()->text(), QStringLiteral(" "));
}

TEST(RunWindow, FiltersNarrowTheTableAndSortingIsByValue)
{
    RunRig h;
    RunWindow *w = h.openRun({ h.root });
    ASSERT_NE(w, nullptr);
    QAbstractItemModel *table = w->table()->model();
    w->cellFilter()->setCurrentText(QStringLiteral("3"));
    EXPECT_EQ(table->rowCount(), 12);
    w->speedFilter()->setCurrentText(QStringLiteral("24000 rpm"));
    EXPECT_EQ(table->rowCount(), 6);
    for (int i = 0; i < w->bandFilter()->count(); ++i) {
        if (w->bandFilter()->itemText(i).startsWith(QStringLiteral("260")))
            w->bandFilter()->setCurrentIndex(i);
    }
    EXPECT_EQ(table->rowCount(), 2);
    for (int row = 0; row < table->rowCount(); ++row) {
        const Scan &scan
            = w->run().scans[size_t(table->index(row, 0).data(RunTableModel::ScanRole).toInt())];
        EXPECT_EQ(scan.header->cell, 3);
        EXPECT_EQ(scan.header->speed, 24000);
        EXPECT_NEAR(scan.header->wavelength, 260.0, 1.0);
    }
    EXPECT_EQ(w->typeFilter()->itemText(1), QStringLiteral("R (Absorbance)"));
    for (QComboBox *box : { w->cellFilter(), w->speedFilter(), w->bandFilter() })
        box->setCurrentIndex(0);
    EXPECT_EQ(table->rowCount(), 36);

    // By time, numerically: 10 h comes after 9 h although "36000" < "9000" as text.
    const int time = w->tableModel()->columnOf(ReportColumn::Time);
    w->table()->sortByColumn(time, Qt::AscendingOrder);
    double before = -1.0;
    for (int row = 0; row < table->rowCount(); ++row) {
        const double t = table->index(row, time).data().toDouble();
        EXPECT_LE(before, t);
        before = t;
    }
}

TEST(RunWindow, AScanOpensInTheMainWindowAsGetDataWouldLoadIt)
{
    RunRig h;
    RunWindow *w = h.openRun({ h.root });
    ASSERT_NE(w, nullptr);
    const int row = rowOfScan(*w, QStringLiteral("00004.RA2"));
    ASSERT_GE(row, 0);
    w->table()->setCurrentIndex(w->table()->model()->index(row, 0));
    w->openScanAction()->trigger();

    const QString path = h.root + QStringLiteral("/00004.RA2");
    EXPECT_EQ(h.state->ReadPath, path);
    const Scan &scan = w->run().scans[size_t(
        w->table()->model()->index(row, 0).data(RunTableModel::ScanRole).toInt())];
    EXPECT_EQ(h.state->NumPts, scan.numPoints);
    EXPECT_EQ(h.state->DataPts.x(1), scan.x(0));
    EXPECT_EQ(h.state->DataPts.conc(scan.numPoints), scan.reading(scan.numPoints - 1));
    EXPECT_TRUE(h.window->action(MenuEntry::EditMenuChoice)->isEnabled());
    EXPECT_TRUE(h.window->action(MenuEntry::SaveDataFile)->isEnabled());
    EXPECT_EQ(h.window->tabs()->tabText(0), QStringLiteral("...") + path.right(18));
    EXPECT_EQ(QDir::currentPath(), h.root) << "the working file goes beside the scan";
    EXPECT_FALSE(h.workFile().isEmpty());
    EXPECT_EQ(h.state->RecentFiles.paths().value(0), path);
    // The run window stays open, and a double click opens another scan.
    ASSERT_TRUE(w->isVisible());
    const int other = rowOfScan(*w, QStringLiteral("00001.RA1"));
    w->table()->setCurrentIndex(w->table()->model()->index(other, 0));
    emit w->table()->doubleClicked(w->table()->model()->index(other, 0));
    EXPECT_EQ(h.state->ReadPath, h.root + QStringLiteral("/00001.RA1"));
}

TEST(RunWindow, ExportTableWritesTheReportsBytes)
{
    RunRig h;
    RunWindow *w = h.openRun({ h.root });
    ASSERT_NE(w, nullptr);
    const QString target = h.folder.path(QStringLiteral("table"));
    h.platform.fileAnswers.push_back(target);
    w->exportTableAction()->trigger();
    ASSERT_EQ(h.platform.fileDialogs.size(), 1u);
    EXPECT_EQ(h.platform.fileDialogs[0].title, QStringLiteral("Export Table"));
    EXPECT_EQ(h.platform.fileDialogs[0].initialName, QStringLiteral("run.csv"));
    const QByteArray written = readFileBytes(target + QStringLiteral(".csv"));
    EXPECT_EQ(written, RunReportCsv(w->run(), w->analysis()));
    EXPECT_TRUE(written.startsWith("file,description,type,cell,"));
    EXPECT_EQ(written.count('\n'), 37);

    // A folder that is not there: said, nothing else happens.
    h.platform.fileAnswers.push_back(h.folder.path(QStringLiteral("none/table.csv")));
    w->exportTableAction()->trigger();
    ASSERT_EQ(h.platform.messages.size(), 1u);
    EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("Export Table"));
    EXPECT_TRUE(h.platform.messages[0].text.startsWith(QStringLiteral("The table was not saved")));
}

TEST(RunWindow, ThePlotsExportAsSvgPdfAndPng)
{
    RunRig h;
    RunWindow *w = h.openRun({ h.root });
    ASSERT_NE(w, nullptr);
    w->resize(900, 700);
    const struct {
        int format;
        const char *name;
        QByteArray starts;
    } rows[]
        = { { 0, "plot.svg", "<?xml" }, { 1, "plot.pdf", "%PDF" }, { 2, "plot.png", "\x89PNG" } };
    for (const auto &row : rows) {
        const QString target = h.folder.path(QLatin1String(row.name));
        h.platform.fileAnswers.push_back(target);
        if (QLatin1String(row.name).endsWith(QLatin1String("png")))
            h.platform.modalActions.push_back([](QDialog &dialog) { dialog.accept(); });
        w->exportPlotAction(row.format)->trigger();
        EXPECT_TRUE(readFileBytes(target).startsWith(row.starts)) << row.name;
    }
    EXPECT_TRUE(h.platform.messages.empty());
    // The SVG holds the curves as vectors and the axis titles as text.
    const QByteArray svg = readFileBytes(h.folder.path(QStringLiteral("plot.svg")));
    EXPECT_TRUE(svg.contains("Radius (cm)"));
    EXPECT_TRUE(svg.contains("<path") || svg.contains("<polyline"));
}

TEST(RunWindow, DroppingAFolderOrSeveralFilesOpensARun)
{
    RunRig h;
    EXPECT_TRUE(drop(*h.window,
        { QUrl::fromLocalFile(h.root + QStringLiteral("/00001.RA1")),
            QUrl::fromLocalFile(h.root + QStringLiteral("/00002.RA1")) }));
    ASSERT_EQ(h.window->runWindows().size(), 1u);
    EXPECT_EQ(h.window->runWindows()[0]->run().scans.size(), 2u);
    EXPECT_EQ(h.window->runWindows()[0]->windowTitle(), QStringLiteral("Run - run"));
    EXPECT_EQ(h.state->NumPts, 0) << "the data set is not touched";

    EXPECT_TRUE(drop(*h.window, { QUrl::fromLocalFile(h.root) }));
    ASSERT_EQ(h.window->runWindows().size(), 2u);
    EXPECT_EQ(h.window->runWindows()[1]->run().scans.size(), 36u);
}

TEST(RunWindow, NothingToShowIsSaidAndNoWindowOpens)
{
    RunRig h;
    const QString empty = h.folder.path(QStringLiteral("empty"));
    QDir().mkpath(empty);
    h.folder.write(QStringLiteral("empty/CELL1ABS.LOG"), "log\n");
    EXPECT_EQ(h.openRun({ empty }), nullptr);
    ASSERT_EQ(h.platform.messages.size(), 1u);
    EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("Open Run"));
    EXPECT_EQ(h.platform.messages[0].text,
        QStringLiteral("No scan could be read from\n%1\n\nIt holds no scan files.").arg(empty));

    const QString bad = h.folder.write(QStringLiteral("bad.RA1"), "");
    EXPECT_EQ(h.openRun({ bad }), nullptr);
    ASSERT_EQ(h.platform.messages.size(), 2u);
    EXPECT_TRUE(h.platform.messages[1].text.endsWith(bad + QStringLiteral(": is empty")));

    // Cancelled in the dialog or while reading: nothing.
    h.platform.runPathAnswers.push_back(std::nullopt);
    h.window->openRunAction()->trigger();
    h.platform.cancelWorkAfter = 3;
    h.platform.workReports.clear();
    EXPECT_EQ(h.openRun({ h.root }), nullptr);
    EXPECT_EQ(h.platform.messages.size(), 2u);
    EXPECT_EQ(h.platform.workReports.size(), 3u);
}

TEST(RunWindow, WithoutTheLibraryTheRunIsNotRead)
{
    Harness h({ "/nonexistent/libkelvane.so" });
    h.platform.runPathAnswers.push_back(
        QStringList { examplePath(QStringLiteral("radius-scan.dat")) });
    h.window->openRunAction()->trigger();
    EXPECT_TRUE(h.window->runWindows().empty());
    ASSERT_EQ(h.platform.messages.size(), 1u);
    EXPECT_TRUE(h.platform.messages[0].text.startsWith(
        QStringLiteral("The numeric library libkelvane.so could not be loaded")));
    EXPECT_TRUE(h.platform.log.filter(QStringLiteral("work ")).isEmpty());
}

TEST(RunWindow, UnreadFilesAreListedBesideTheTree)
{
    RunRig h;
    h.folder.write(QStringLiteral("run/00077.RA1"), QByteArray("\0\0\0", 3));
    RunWindow *w = h.openRun({ h.root });
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->failuresView()->parentWidget()->isVisibleTo(w));
    EXPECT_EQ(w->failuresView()->toPlainText(),
        h.root + QStringLiteral("/00077.RA1: is a binary file, not a scan"));
    EXPECT_EQ(w->table()->model()->rowCount(), 36);
}
