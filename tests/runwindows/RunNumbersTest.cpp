// SPDX-License-Identifier: GPL-3.0-or-later
// The same numbers everywhere: v-bar and rho of the run table, the ln c
// window and the report; values that are not finite; the exported points.
#include "core/NumLib.h"
#include "runs/RunReader.h"
#include "runs/RunReport.h"
#include "runwindows/CheckSettingsDialog.h"
#include "runwindows/LnCDialog.h"
#include "runwindows/RunTableModel.h"
#include "runwindows/RunWindow.h"
#include "support/CommandSupport.h"
#include "support/Harness.h"
#include "support/RunEditRig.h"
#include "support/RunGenerator.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

namespace
{

QByteArray idealScan(int rpm, double noise)
{
    return IdealScanBytes({ { 13500.0, 0.045 } }, rpm, 20.0, 6.95, 7.15, 0.002, noise, 7);
}

// 60 points on a straight line, exact in floats: no noise at all.
QByteArray straightScan(int number, double divisor)
{
    QByteArray bytes = "Straight\nR 1 20.0 20000 00" + QByteArray::number(7 + number)
        + "2000 1.0000E+11 280 1\n";
    for (int k = 0; k < 60; ++k)
        bytes += QByteArray::number(6.0 + k / 64.0, 'f', 6) + ' '
            + QByteArray::number(k / divisor, 'f', 9) + " 0.01\n";
    return bytes;
}

// The report's value of `column` in the row of `scan`.
QByteArray reportValue(const ::Run &run, const RunAnalysis &analysis, int scan, ReportColumn column)
{
    return ReportText(ReportCell(run, analysis, scan, column));
}

RunWindow *openRun(Harness &h, const QStringList &paths)
{
    h.platform.runPathAnswers.push_back(paths);
    h.window->openRunAction()->trigger();
    return h.window->runWindows().empty() ? nullptr : h.window->runWindows().back();
}

} // namespace

TEST(RunNumbers, OneRememberedVbarAndRhoForTheTableTheLnCWindowAndTheReport)
{
    Harness h;
    RunPlan plan;
    plan.cells = { 1 };
    plan.speeds = { { 16000, 6, 12.0 } };
    const QString root = h.folder.path(QStringLiteral("run"));
    ASSERT_TRUE(WriteRun(GenerateRun(plan), root));
    RunWindow *w = openRun(h, { root });
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->analysis().options.vbar, 0.73);

    // Set in the run window's Check Settings: remembered, and used at once.
    h.platform.modalActions.push_back([](QDialog &dialog) {
        auto &settings = static_cast<CheckSettingsDialog &>(dialog);
        EXPECT_EQ(settings.vbarField()->text(), QStringLiteral("0.73"));
        settings.vbarField()->setText(QStringLiteral("0.75"));
        settings.densityField()->setText(QStringLiteral("1.005"));
        settings.accept();
    });
    w->checkSettingsAction()->trigger();
    EXPECT_EQ(w->analysis().options.vbar, 0.75);
    EXPECT_EQ(w->analysis().options.density, 1.005);
    EXPECT_EQ(GetProfileString(h.platform.settingsFile, "LnCPlot", "PartialSpecificVolume", "", 32),
        QByteArray("0.75"));
    const ::Run &run = w->run();
    const RunAnalysis &analysis = w->analysis();
    const FitSummary &fit = analysis.fits[0];
    ASSERT_TRUE(fit.mass && fit.buoyantMass);
    EXPECT_DOUBLE_EQ(*fit.mass, *fit.buoyantMass / (1.0 - 0.75 * 1.005));

    // The report given the same pair writes the table's masses.
    const Finished report = kelvane({ QStringLiteral("--report"), QStringLiteral("--vbar=0.75"),
        QStringLiteral("--density=1.005"), root });
    ASSERT_EQ(report.status, 0) << report.err.toStdString();
    const QList<QByteArray> rows = report.out.split('\n');
    ASSERT_GT(rows.size(), 1);
    EXPECT_EQ(rows[1].split(',')[int(ReportColumn::Mass)],
        reportValue(run, analysis, 0, ReportColumn::Mass));

    // The ln c window opened from the run shows the run's pair; a pair set
    // there comes back to the run.
    w->choose({ 0 });
    h.platform.modalActions.push_back([](QDialog &dialog) {
        auto &lnc = static_cast<LnCDialog &>(dialog);
        EXPECT_EQ(lnc.vbarField()->text(), QStringLiteral("0.75"));
        EXPECT_EQ(lnc.densityField()->text(), QStringLiteral("1.005"));
        lnc.vbarField()->setText(QStringLiteral("0.72"));
        EXPECT_TRUE(lnc.refit());
        dialog.accept();
    });
    w->lnCAction()->trigger();
    EXPECT_EQ(w->analysis().options.vbar, 0.72);
    w->close();

    // A run opened later starts from the remembered pair.
    RunWindow *again = openRun(h, { root });
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->analysis().options.vbar, 0.72);
    EXPECT_EQ(again->analysis().options.density, 1.005);
}

TEST(RunNumbers, ValuesThatAreNotFiniteAreEmptyAndTheWindowSaysWhy)
{
    Harness h;
    // A header with a speed of 0, and two noise-free scans of one setting
    // that differ: a score without noise to measure it by.
    for (const char *sub : { "zero", "exact" })
        QDir().mkpath(h.folder.path(QLatin1String(sub)));
    const QString zero = h.folder.write(QStringLiteral("zero/00001.RA1"), idealScan(0, 0.002));
    const QString a = h.folder.write(QStringLiteral("exact/00001.RA1"), straightScan(1, 128.0));
    const QString b = h.folder.write(QStringLiteral("exact/00002.RA1"), straightScan(2, 64.0));
    NumLib numlib;
    const ::Run run = ReadRun({ zero, a, b }, numlib);
    ASSERT_EQ(run.scans.size(), 3u);
    const RunAnalysis analysis = AnalyseRun(run);
    for (ReportColumn column : { ReportColumn::Sigma, ReportColumn::BuoyantMass, ReportColumn::Mass,
             ReportColumn::FitRms })
        EXPECT_EQ(reportValue(run, analysis, 0, column), QByteArray()) << ReportColumnName(column);
    ASSERT_TRUE(analysis.checks[1].score);
    EXPECT_FALSE(std::isfinite(*analysis.checks[1].score));
    EXPECT_EQ(reportValue(run, analysis, 1, ReportColumn::EqScore), QByteArray());
    const Finished report = kelvane({ QStringLiteral("--report"), zero, a, b });
    EXPECT_FALSE(report.out.contains("inf")) << report.out.toStdString();

    // The ln c window of the scan with speed 0 is not locked: it asks.
    RunWindow *w = openRun(h, { zero });
    ASSERT_NE(w, nullptr);
    w->choose({ 0 });
    h.platform.modalActions.push_back([](QDialog &dialog) {
        auto &lnc = static_cast<LnCDialog &>(dialog);
        EXPECT_FALSE(lnc.speedField()->isReadOnly());
        EXPECT_TRUE(lnc.speedField()->text().isEmpty());
        EXPECT_TRUE(lnc.numbersLabel()->text().startsWith(QStringLiteral(
            "The scan's header gives a speed of 0 rpm, which cannot be right.\nNo fit: give")))
            << lnc.numbersLabel()->text().toStdString();
        lnc.speedField()->setText(QStringLiteral("20000"));
        EXPECT_TRUE(lnc.refit());
        EXPECT_TRUE(lnc.fit().mass);
        dialog.accept();
    });
    w->lnCAction()->trigger();
}

TEST(RunNumbers, ExportedPointsAreTheFilesOwnAndAScanWithoutHeaderHasNoCeiling)
{
    Harness h;
    QByteArray bytes = IdealScanBytes({ { 13500.0, 0.9 } }, 20000, 20.0, 6.95, 7.15, 0.002, 0.0, 7);
    h.choose(h.folder.write(QStringLiteral("ideal.dat"), bytes), MenuEntry::GetNewData);
    h.platform.modalActions.push_back([&h](QDialog &dialog) {
        auto &lnc = static_cast<LnCDialog &>(dialog);
        h.platform.fileAnswers.push_back(h.folder.path(QStringLiteral("points")));
        lnc.exportPoints();
        const QList<QByteArray> lines
            = readFileBytes(h.folder.path(QStringLiteral("points.csv"))).split('\n');
        ASSERT_GT(lines.size(), 3);
        EXPECT_TRUE(lines[1].startsWith("6.95,")) << lines[1].toStdString();
        EXPECT_TRUE(lines[2].startsWith("6.952,")) << lines[2].toStdString();
        EXPECT_EQ(lines[1].split(',')[2], QByteArray("0.9")) << "the reading as the file has it";
        dialog.accept();
    });
    h.window->lnCAction()->trigger();

    // The same readings, above 1.5 at the bottom, with no header line.
    const qsizetype header = bytes.indexOf("R 1");
    bytes.replace(header, bytes.indexOf('\n', header) - header, "no header here");
    h.choose(h.folder.write(QStringLiteral("bare.dat"), bytes), MenuEntry::GetNewData);
    h.platform.modalActions.push_back([](QDialog &dialog) {
        auto &lnc = static_cast<LnCDialog &>(dialog);
        lnc.speedField()->setText(QStringLiteral("20000"));
        lnc.temperatureField()->setText(QStringLiteral("20"));
        ASSERT_TRUE(lnc.refit());
        ASSERT_GT(lnc.fit().highestReading, 1.5);
        EXPECT_FALSE(lnc.diagnosticsLabel()->text().contains(QStringLiteral("ceiling")))
            << "an unknown type is not absorbance";
        dialog.accept();
    });
    h.window->lnCAction()->trigger();
}

TEST(RunNumbers, OpenAndLnCActOnTheChosenScanNotOnARowLeftOverFromBefore)
{
    Harness h;
    RunPlan plan;
    plan.cells = { 1, 2 };
    plan.speeds = { { 16000, 6, 12.0 } };
    const QString root = h.folder.path(QStringLiteral("run"));
    ASSERT_TRUE(WriteRun(GenerateRun(plan), root));
    RunWindow *w = openRun(h, { root });
    ASSERT_NE(w, nullptr);
    // A row of cell 1 is current; then cell 2's first group is chosen.
    w->table()->setCurrentIndex(w->table()->model()->index(0, 0));
    const int stale = w->table()->currentIndex().data(RunTableModel::ScanRole).toInt();
    w->chooseGroup(int(w->analysis().groups.groups.size()) - 1);
    ASSERT_EQ(w->chosen().size(), 2u);
    ASSERT_EQ(std::count(w->chosen().begin(), w->chosen().end(), stale), 0);
    for (QAction *action : { w->openScanAction(), w->lnCAction() }) {
        const size_t before = h.platform.messages.size();
        action->trigger();
        ASSERT_EQ(h.platform.messages.size(), before + 1) << action->text().toStdString();
        EXPECT_EQ(h.platform.messages.back().text,
            QStringLiteral("2 scans are chosen. Choose one of them in the table first."));
    }
    EXPECT_EQ(h.state->NumPts, 0) << "nothing was opened";

    // One scan chosen: that one, wherever the current row is.
    const int last = w->chosen().back();
    w->choose({ last });
    w->openScanAction()->trigger();
    EXPECT_EQ(h.state->NumPts, w->run().scans[size_t(last)].numPoints);
    EXPECT_EQ(QFileInfo(h.state->ReadPath).fileName(), w->run().scans[size_t(last)].name);
}

TEST(RunNumbers, TheTableShowsReadableNumbersWithTheExactOnesInTheTipAndNoColumnCut)
{
    RunEditRig h(RunPlan {});
    RunWindow *w = h.openRun();
    ASSERT_NE(w, nullptr);
    h.chooseAll(*w);
    h.applyRange(*w, QStringLiteral("6.85"), QStringLiteral("7.05"));
    const RunTableModel &model = *w->tableModel();
    const int time = model.columnOf(ReportColumn::Time);
    EXPECT_EQ(model.headerData(time, Qt::Horizontal).toString(), QStringLiteral("Time (h)"));
    for (int row = 0; row < model.rowCount(); ++row) {
        const int64_t seconds = w->run().scans[size_t(row)].header->time;
        EXPECT_EQ(model.index(row, time).data().toString(),
            QString::number(double(seconds) / 3600.0, 'f', 2));
        EXPECT_EQ(model.index(row, time).data(Qt::ToolTipRole).toString(),
            QStringLiteral("%1 s").arg(seconds));
        for (ReportColumn column : { ReportColumn::EqOffset, ReportColumn::EqTrend,
                 ReportColumn::Sigma, ReportColumn::FitRms, ReportColumn::Mass }) {
            const QModelIndex cell = model.index(row, model.columnOf(column));
            const QString shown = cell.data().toString();
            if (shown.isEmpty())
                continue;
            EXPECT_LE(shown.size(), 9) << shown.toStdString() << " " << ReportColumnName(column);
            EXPECT_EQ(cell.data(Qt::ToolTipRole).toString().toLatin1(),
                ReportText(ReportCell(w->run(), w->analysis(), row, column)));
        }
    }
    const QFontMetrics metrics = w->table()->fontMetrics();
    for (int column : { model.columnOf(ReportColumn::File), model.columnOf(ReportColumn::EqSince),
             model.editsColumn() }) {
        for (int row = 0; row < model.rowCount(); ++row)
            EXPECT_GE(w->table()->columnWidth(column),
                metrics.horizontalAdvance(model.index(row, column).data().toString()))
                << column << " " << row;
    }
    h.platform.messageAnswers.push_back(MsgAnswer::Yes);
    w->close();
}

TEST(RunNumbers, TheDataSetsLnCLeavesOutTheRowsTheInstrumentCouldNotMeasure)
{
    Harness h;
    QByteArray bytes = IdealScanBytes({ { 13500.0, 0.2 } }, 20000, 20.0, 6.95, 7.15, 0.002, 0.0, 7);
    const qsizetype at = bytes.indexOf("\n7.0500");
    ASSERT_GT(at, 0);
    bytes.insert(at + 1, "7.0501 1.0000000E+00 0.0000E+00\n7.0503 1.0000000E+00 0.0000E+00\n");
    h.choose(h.folder.write(QStringLiteral("holes.RA1"), bytes), MenuEntry::GetNewData);
    ASSERT_EQ(h.state->NumPts, 103);
    h.platform.modalActions.push_back([](QDialog &dialog) {
        EXPECT_EQ(static_cast<LnCDialog &>(dialog).fit().points, 101);
        dialog.accept();
    });
    h.window->lnCAction()->trigger();
}
