// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/RunWindow.h"
#include "runs/GoodPoints.h"
#include "runs/RunReport.h"
#include "runs/Verdict.h"
#include "runwindows/CheckSettingsDialog.h"
#include "runwindows/RangeChartView.h"
#include "runwindows/RunFilterModel.h"
#include "runwindows/RunPlots.h"
#include "runwindows/RunTableModel.h"
#include "runwindows/RunTree.h"
#include "support/Harness.h"
#include "support/RunGenerator.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
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

// `tool` run in `folder`; true when it succeeded.
bool runTool(const QString &folder, const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(tool, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

// Every cell of the window's table as shown, in the run's order.
QStringList tableText(RunWindow &w)
{
    QStringList cells;
    const RunTableModel *model = w.tableModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
    }
    return cells;
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
    EXPECT_EQ(w->plots()->overlay().scans.size(), first.scans.size());
    EXPECT_EQ(w->plots()->overlay().differences.size(), first.scans.size() - 1)
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
    EXPECT_EQ(w->plots()->overlay().scans.size(), 12u);
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
    EXPECT_EQ(QDir::currentPath(), h.root) << "the file dialogs start beside the scan";
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

TEST(RunWindow, TheSameRunFromATarGzOrAZipShowsTheSameTable)
{
    RunRig h;
    // Cell 3 one folder down, as instruments nest runs.
    QDir(h.root).mkpath(QStringLiteral("later"));
    for (const GeneratedScan &scan : h.generated.scans) {
        if (scan.header.cell == 3)
            QFile::rename(h.root + QLatin1Char('/') + scan.relativePath,
                h.root + QStringLiteral("/later/") + scan.relativePath);
    }
    RunWindow *folder = h.openRun({ h.root });
    ASSERT_NE(folder, nullptr);
    const QString tgz = h.folder.path(QStringLiteral("run.tar.gz"));
    const QString zip = h.folder.path(QStringLiteral("run.zip"));
    ASSERT_TRUE(runTool(
        h.root, QStringLiteral("tar"), { QStringLiteral("-czf"), tgz, QStringLiteral(".") }));
    ASSERT_TRUE(runTool(
        h.root, QStringLiteral("zip"), { QStringLiteral("-qr"), zip, QStringLiteral(".") }));
    for (const QString &archive : { tgz, zip }) {
        RunWindow *packed = h.openRun({ archive });
        ASSERT_NE(packed, nullptr) << archive.toStdString();
        EXPECT_EQ(packed->windowTitle(), QStringLiteral("Run - ") + QFileInfo(archive).fileName());
        EXPECT_EQ(tableText(*packed), tableText(*folder)) << archive.toStdString();
        EXPECT_TRUE(packed->run().failures.empty());
        EXPECT_EQ(packed->run().scans[0].path, archive + QStringLiteral("/00001.RA1"));
    }
    EXPECT_TRUE(h.platform.messages.empty());

    // A scan of the archive opens in the main window; the file dialogs start
    // beside the archive, which is never unpacked.
    RunWindow *packed = h.window->runWindows().back();
    const int row = rowOfScan(*packed, QStringLiteral("later/00002.RA3"));
    ASSERT_GE(row, 0);
    packed->table()->setCurrentIndex(packed->table()->model()->index(row, 0));
    packed->openScanAction()->trigger();
    const Scan &scan = packed->run().scans[size_t(
        packed->table()->model()->index(row, 0).data(RunTableModel::ScanRole).toInt())];
    EXPECT_EQ(h.state->NumPts, scan.numPoints);
    EXPECT_EQ(h.state->DataPts.conc(7), scan.reading(6));
    EXPECT_EQ(h.window->tabs()->tabText(0), QStringLiteral("...") + scan.path.right(18));
    EXPECT_EQ(QDir::currentPath(), h.folder.root());
    EXPECT_TRUE(h.window->view(ViewTab::DataFile)
                    ->toPlainText()
                    .startsWith(QString::fromLatin1(scan.description)));
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(RunWindow, ADamagedArchiveKeepsNothingItHandedOverAndSaysWhy)
{
    RunRig h;
    const QString tgz = h.folder.path(QStringLiteral("run.tar.gz"));
    ASSERT_TRUE(runTool(
        h.root, QStringLiteral("tar"), { QStringLiteral("-czf"), tgz, QStringLiteral(".") }));
    QByteArray bytes = readFileBytes(tgz);
    bytes[bytes.size() - 6] = char(bytes[bytes.size() - 6] ^ 0x40); // the gzip check sum
    h.folder.write(QStringLiteral("run.tar.gz"), bytes);
    EXPECT_EQ(h.openRun({ tgz }), nullptr);
    ASSERT_EQ(h.platform.messages.size(), 1u);
    EXPECT_TRUE(
        h.platform.messages[0].text.contains(tgz + QStringLiteral(": the archive is damaged")))
        << h.platform.messages[0].text.toStdString();
}

namespace
{

// One cell, three wavelengths at one speed, 12 scans each 6 h apart,
// settling with a time constant of 6 h.
struct SettlingRig : Harness {
    QString root = folder.path(QStringLiteral("settling"));
    SettlingRig()
    {
        RunPlan plan;
        plan.cells = { 2 };
        plan.speeds = { { 20000, 36, 6.0 } };
        WriteRun(GenerateRun(plan), root);
    }
    RunWindow *open()
    {
        platform.runPathAnswers.push_back(QStringList { root });
        window->openRunAction()->trigger();
        return window->runWindows().empty() ? nullptr : window->runWindows().back();
    }
};

QList<QByteArray> csvFields(const QByteArray &line)
{
    QList<QByteArray> out;
    QByteArray field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            out << field;
            field.clear();
        } else {
            field += c;
        }
    }
    return out << field;
}

} // namespace

TEST(RunWindow, TheCheckShowsItsVerdictScoresAndMarksAsTheReportDoes)
{
    SettlingRig h;
    RunWindow *w = h.open();
    ASSERT_NE(w, nullptr);
    const ScanGroup &first = w->analysis().groups.groups.front();
    EXPECT_EQ(GroupText(first), QStringLiteral("Cell 2, Absorbance, 230 nm, 20000 rpm"));
    EXPECT_EQ(w->verdictLabel()->text(),
        GroupText(first) + QStringLiteral(": ") + VerdictText(w->run(), w->analysis(), 0));
    EXPECT_TRUE(
        w->verdictLabel()->text().contains(QStringLiteral(": Equilibrium reached: scans since ")));

    // The tree marks each group by its verdict, its words as the tip.
    const QAbstractItemModel *tree = w->tree()->model();
    const QModelIndex group = w->treeModel()->groupIndex(0);
    EXPECT_EQ(group.siblingAtColumn(3).data().toString(), QStringLiteral("reached"));
    EXPECT_EQ(group.siblingAtColumn(3).data(Qt::ToolTipRole).toString(),
        VerdictText(w->run(), w->analysis(), 0));
    EXPECT_EQ(tree->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Equilibrium"));

    // The scores against time with the limit: 11 scans of the group and the
    // 2.0 line.
    const QList<QAbstractSeries *> scores = w->plots()->scoreView()->chart()->series();
    ASSERT_EQ(scores.size(), 2);
    EXPECT_EQ(static_cast<QLineSeries *>(scores[0])->count(), 11);
    const auto *limit = static_cast<QLineSeries *>(scores[1]);
    EXPECT_EQ(limit->at(0).y(), 2.0);
    EXPECT_EQ(limit->at(1).y(), 2.0);

    // The window's numbers are the report's, to the last digit: shown
    // readably, exact in the tip.
    QProcess report;
    report.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kelvane"),
        { QStringLiteral("--report"), h.root });
    ASSERT_TRUE(report.waitForFinished(60000));
    const QList<QByteArray> lines = report.readAllStandardOutput().split('\n');
    const QList<QByteArray> header = csvFields(lines[0]);
    RunTableModel *model = w->tableModel();
    int compared = 0;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QList<QByteArray> fields = csvFields(lines[row + 1]);
        for (int c = 0; c < int(model->columns().size()); ++c) {
            const ReportColumn column = model->columns()[size_t(c)];
            if (column == ReportColumn::File)
                continue;
            const qsizetype at = header.indexOf(QByteArray(ReportColumnName(column)));
            ASSERT_GE(at, 0);
            const QModelIndex cell = model->index(row, c);
            QString exact = cell.data(Qt::ToolTipRole).toString();
            if (column == ReportColumn::Time)
                exact.chop(2); // " s"
            EXPECT_EQ((exact.isEmpty() ? cell.data().toString() : exact).toLatin1(), fields[at])
                << ReportColumnName(column) << " of row " << row;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 36 * (int(model->columns().size()) - 1));
}

TEST(RunWindow, TheRangeTrimAndCeilingAreSetAndTheCheckRerunsAtOnce)
{
    SettlingRig h;
    RunWindow *w = h.open();
    ASSERT_NE(w, nullptr);
    const int scan = w->analysis().groups.groups[0].scans[5];
    const double before = *w->analysis().checks[size_t(scan)].score;

    // Bad values are refused, naming the field; the dialog stays open.
    h.platform.modalActions.push_back([&h](QDialog &dialog) {
        auto &settings = static_cast<CheckSettingsDialog &>(dialog);
        const struct {
            QLineEdit *field;
            const char *text;
            QString message;
        } rows[] = {
            { settings.trimField(), "-0.01",
                QStringLiteral("Trim must be a number from 0 to 1 cm.") },
            { settings.trimField(), "x", QStringLiteral("Trim must be a number from 0 to 1 cm.") },
            { settings.ceilingField(), "0",
                QStringLiteral("Ceiling must be a number above 0 and at most 10.") },
            { settings.fromField(), "25",
                QStringLiteral("From must be a radius above 0 and at most 20 cm, or empty for the "
                               "scans' own.") },
            { settings.toField(), "6.5", QStringLiteral("To must be above From.") },
        };
        settings.trimField()->setText(QStringLiteral("0.05"));
        settings.ceilingField()->setText(QStringLiteral("1.5"));
        settings.fromField()->setText(QStringLiteral("6.9"));
        for (const auto &row : rows) {
            const QString good = row.field->text();
            row.field->setText(QLatin1String(row.text));
            settings.accept();
            EXPECT_TRUE(settings.isVisible()) << row.text;
            ASSERT_FALSE(h.platform.messages.empty());
            EXPECT_EQ(h.platform.messages.back().text, row.message);
            EXPECT_EQ(h.platform.messages.back().title, QStringLiteral("Check Settings"));
            row.field->setText(good);
        }
        settings.fromField()->clear();
        settings.trimField()->setText(QStringLiteral("0.1"));
        settings.ceilingField()->setText(QStringLiteral("1.2"));
        settings.accept();
    });
    w->checkSettingsAction()->trigger();
    EXPECT_EQ(h.platform.messages.size(), 5u);
    EXPECT_EQ(w->analysis().options.trim, 0.1);
    EXPECT_EQ(w->analysis().options.ceiling, 1.2);
    EXPECT_FALSE(w->analysis().options.from);
    const double changed = *w->analysis().checks[size_t(scan)].score;
    EXPECT_NE(changed, before);
    const int scoreColumn = w->tableModel()->columnOf(ReportColumn::EqScore);
    EXPECT_EQ(w->tableModel()->index(scan, scoreColumn).data().toString(),
        QString::number(changed, 'f', 2));
    EXPECT_EQ(w->tableModel()->index(scan, scoreColumn).data(Qt::ToolTipRole).toString(),
        QString::fromLatin1(ReportText(changed)));

    // A drag with Shift on the overlay sets the range; Clear Range drops it.
    RangeChartView *view = w->plots()->overlayView();
    w->resize(1000, 800);
    w->show();
    QCoreApplication::processEvents();
    const auto at = [view](double x) {
        const QPointF scene = view->chart()->mapToScene(
            view->chart()->mapToPosition(QPointF(x, view->chart()->plotArea().center().y())));
        QPointF position = view->mapFromScene(scene);
        position.setY(
            view->mapFromScene(view->chart()->mapToScene(view->chart()->plotArea().center())).y());
        return position.toPoint();
    };
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, at(6.85));
    QTest::mouseMove(view->viewport(), at(6.95));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, at(7.0));
    ASSERT_TRUE(w->analysis().options.from);
    ASSERT_TRUE(w->analysis().options.to);
    EXPECT_NEAR(*w->analysis().options.from, 6.85, 0.01);
    EXPECT_NEAR(*w->analysis().options.to, 7.0, 0.01);
    EXPECT_EQ(view->rangeFrom(), w->analysis().options.from);
    EXPECT_EQ(w->analysis().checks[size_t(scan)].lo, RadiusBound(*w->analysis().options.from));
    w->clearRangeAction()->trigger();
    EXPECT_FALSE(w->analysis().options.from);
    EXPECT_FALSE(view->rangeTo());
}

TEST(RunWindow, DifferencesAreShownLessEachScansOffsetOrAsTheyAre)
{
    SettlingRig h;
    RunWindow *w = h.open();
    ASSERT_NE(w, nullptr);
    const Overlay &corrected = w->plots()->overlay();
    ASSERT_EQ(corrected.differences.size(), 11u);
    const OverlayCurve first = corrected.differences.front();
    const ScanCheck &check = w->analysis().checks[size_t(first.scan)];
    w->plots()->offsetBox()->setChecked(false);
    const Overlay &plain = w->plots()->overlay();
    EXPECT_FALSE(plain.offsetsRemoved);
    const OverlayCurve &raw = plain.differences.front();
    // Over the compared range the two differ by the offset exactly.
    size_t matched = 0;
    for (const QPointF &p : first.points) {
        for (const QPointF &q : raw.points) {
            if (q.x() == p.x()) {
                EXPECT_NEAR(q.y() - p.y(), check.offset, 1e-12);
                ++matched;
            }
        }
    }
    EXPECT_EQ(matched, size_t(check.points));
    EXPECT_GT(raw.points.size(), first.points.size()) << "the whole overlap, untrimmed";
}

TEST(RunWindow, ThePublicRunFromItsFolderAndAsATarGzGivesTheSameTable)
{
    Harness h;
    const QString root = h.folder.path(QStringLiteral("public"));
    const GeneratedRun generated = GenerateRun(PublicRunPlan());
    ASSERT_EQ(generated.scans.size(), 630u);
    ASSERT_TRUE(WriteRun(generated, root));
    const QString tgz = h.folder.path(QStringLiteral("public.tar.gz"));
    ASSERT_TRUE(
        runTool(root, QStringLiteral("tar"), { QStringLiteral("-czf"), tgz, QStringLiteral(".") }));
    h.platform.runPathAnswers.push_back(QStringList { root });
    h.window->openRunAction()->trigger();
    h.platform.runPathAnswers.push_back(QStringList { tgz });
    h.window->openRunAction()->trigger();
    ASSERT_EQ(h.window->runWindows().size(), 2u);
    RunWindow &folder = *h.window->runWindows()[0];
    RunWindow &packed = *h.window->runWindows()[1];
    EXPECT_EQ(folder.run().scans.size(), 630u);
    EXPECT_TRUE(folder.run().failures.empty());
    EXPECT_EQ(folder.analysis().groups.groups.size(), 63u) << "7 cells, 3 speeds, 3 wavelengths";
    EXPECT_EQ(tableText(packed), tableText(folder));
    EXPECT_TRUE(h.platform.messages.empty());
}
