// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/NumLib.h"
#include "core/Profile.h"
#include "editor/PlotWindow.h"
#include "runs/LnCFit.h"
#include "runs/RunReader.h"
#include "runs/RunReport.h"
#include "runwindows/LnCDialog.h"
#include "support/EditorSupport.h"
#include "support/Harness.h"
#include "support/RunGenerator.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>

#include <cmath>
#include <numbers>

namespace
{

// 50 kDa with vbar 0.73 in water: M (1 - vbar rho) = 13500 g/mol.
constexpr double IdealMass = 50000.0;
constexpr double IdealBuoyant = IdealMass * (1.0 - 0.73);

QByteArray idealScan(double noise, unsigned seed = 7)
{
    return IdealScanBytes({ { IdealBuoyant, 0.045 } }, 20000, 20.0, 6.95, 7.15, 0.002, noise, seed);
}

// The report's fields of the one scan in `path`.
QList<QByteArray> reportRow(const QStringList &arguments)
{
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kelvane"),
        QStringList { QStringLiteral("--report") } + arguments);
    process.waitForFinished(60000);
    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    return lines.size() > 1 ? lines[1].split(',') : QList<QByteArray>();
}

// Columns of the report.
constexpr int SigmaColumn = 17;
constexpr int BuoyantColumn = 18;
constexpr int MassColumn = 19;
constexpr int PointsColumn = 20;
constexpr int RmsColumn = 21;

} // namespace

TEST(LnCFit, TheWindowOfTheDataSetAgreesWithTheReport)
{
    Harness h;
    const QString path = h.folder.write(QStringLiteral("ideal.dat"), idealScan(0.004));
    h.choose(path, MenuEntry::GetNewData);
    ASSERT_EQ(h.state->NumPts, 101);
    ASSERT_TRUE(h.window->lnCAction()->isVisible());
    EXPECT_EQ(h.window->lnCAction()->text(), QStringLiteral("&ln c vs r\u00b2/2..."));

    LnCFit shown;
    QString numbers;
    h.platform.modalActions.push_back([&](QDialog &dialog) {
        auto &lnc = static_cast<LnCDialog &>(dialog);
        EXPECT_EQ(lnc.windowTitle(), QStringLiteral("ln c vs r\u00b2/2 - ideal.dat"));
        EXPECT_TRUE(lnc.speedField()->isReadOnly()) << "from the header line";
        EXPECT_EQ(lnc.speedField()->text(), QStringLiteral("20000"));
        EXPECT_EQ(lnc.temperatureField()->text(), QStringLiteral("20"));
        shown = lnc.fit();
        numbers = lnc.numbersLabel()->text();
        EXPECT_EQ(lnc.diagnosticsLabel()->text(), QStringLiteral("No warnings."));
        dialog.accept();
    });
    h.window->lnCAction()->trigger();
    ASSERT_TRUE(shown.mass);
    EXPECT_NEAR(*shown.mass / IdealMass, 1.0, 0.02);
    EXPECT_EQ(shown.points, 101);
    EXPECT_TRUE(numbers.contains(QStringLiteral("Points: 101, from 6.9500 to 7.1500 cm")))
        << numbers.toStdString();

    // The report over the same points: untrimmed, no ceiling in the way.
    const QList<QByteArray> row
        = reportRow({ QStringLiteral("--trim=0"), QStringLiteral("--ceiling=10"), path });
    ASSERT_EQ(row.size(), ReportColumnCount);
    EXPECT_EQ(row[SigmaColumn].toDouble(), *shown.sigma);
    EXPECT_EQ(row[BuoyantColumn].toDouble(), *shown.buoyantMass);
    EXPECT_EQ(row[MassColumn].toDouble(), *shown.mass);
    EXPECT_EQ(row[PointsColumn].toInt(), shown.points);
    EXPECT_EQ(row[RmsColumn].toDouble(), *shown.rms);

    // Another vbar and density in the report: the same buoyant mass.
    const QList<QByteArray> heavy = reportRow(
        { QStringLiteral("--trim=0"), QStringLiteral("--ceiling=10"), QStringLiteral("--vbar"),
            QStringLiteral("0.6"), QStringLiteral("--density=1.1"), path });
    EXPECT_EQ(heavy[BuoyantColumn].toDouble(), *shown.buoyantMass);
    EXPECT_NEAR(heavy[MassColumn].toDouble(), *shown.buoyantMass / (1.0 - 0.6 * 1.1), 1e-6);
}

TEST(LnCFit, WithoutAHeaderTheUserGivesSpeedAndTemperatureAndBadValuesAreRefused)
{
    Harness h;
    QByteArray bytes = idealScan(0.0);
    bytes.replace(bytes.indexOf("R 1"),
        bytes.indexOf('\n', bytes.indexOf("R 1")) - bytes.indexOf("R 1"), "no header here");
    h.choose(h.folder.write(QStringLiteral("bare.dat"), bytes), MenuEntry::GetNewData);
    h.platform.modalActions.push_back([&h](QDialog &dialog) {
        auto &lnc = static_cast<LnCDialog &>(dialog);
        EXPECT_FALSE(lnc.fit().sigma);
        EXPECT_EQ(lnc.numbersLabel()->text(),
            QStringLiteral("No fit: give the speed and the temperature, then Fit."));
        EXPECT_FALSE(lnc.speedField()->isReadOnly());
        const struct {
            QLineEdit *field;
            const char *text;
            QString message;
        } rows[] = {
            { lnc.speedField(), "",
                QStringLiteral("Speed must be a number from 1000 to 100000 rpm.") },
            { lnc.speedField(), "500",
                QStringLiteral("Speed must be a number from 1000 to 100000 rpm.") },
            { lnc.temperatureField(), "70",
                QStringLiteral("Temperature must be a number from -10 to 60 \u00b0C.") },
            { lnc.vbarField(), "x",
                QStringLiteral("v\u0304 must be a number from 0.1 to 2 mL/g.") },
            { lnc.densityField(), "3",
                QStringLiteral("\u03c1 must be a number from 0.5 to 2 g/mL.") },
        };
        lnc.speedField()->setText(QStringLiteral("20000"));
        lnc.temperatureField()->setText(QStringLiteral("20"));
        for (const auto &row : rows) {
            const QString good = row.field->text();
            row.field->setText(QLatin1String(row.text));
            EXPECT_FALSE(lnc.refit()) << row.text;
            EXPECT_EQ(h.platform.messages.back().text, row.message);
            EXPECT_EQ(h.platform.messages.back().title, QStringLiteral("ln c vs r\u00b2/2"));
            row.field->setText(good);
        }
        lnc.vbarField()->setText(QStringLiteral("1"));
        lnc.densityField()->setText(QStringLiteral("1"));
        EXPECT_FALSE(lnc.refit()) << "no buoyancy";
        lnc.vbarField()->setText(QStringLiteral("0.74"));
        lnc.densityField()->setText(QStringLiteral("1.005"));
        ASSERT_TRUE(lnc.refit());
        ASSERT_TRUE(lnc.fit().buoyantMass);
        EXPECT_NEAR(*lnc.fit().buoyantMass / IdealBuoyant, 1.0, 1e-4);
        EXPECT_NEAR(*lnc.fit().mass, *lnc.fit().buoyantMass / (1.0 - 0.74 * 1.005), 1e-6);
        dialog.accept();
    });
    h.window->lnCAction()->trigger();
    EXPECT_EQ(h.platform.messages.size(), 6u);
    // vbar and rho are remembered in the settings file's own section.
    EXPECT_EQ(GetProfileString(h.platform.settingsFile, "LnCPlot", "PartialSpecificVolume", "", 32),
        QByteArray("0.74"));
    EXPECT_EQ(GetProfileString(h.platform.settingsFile, "LnCPlot", "Density", "", 32),
        QByteArray("1.005"));
    h.platform.modalActions.push_back([](QDialog &dialog) {
        EXPECT_EQ(static_cast<LnCDialog &>(dialog).vbarField()->text(), QStringLiteral("0.74"));
        dialog.accept();
    });
    h.window->lnCAction()->trigger();
}

TEST(LnCFit, ThePointsAndThePlotExport)
{
    Harness h;
    h.choose(h.folder.write(QStringLiteral("ideal.dat"), idealScan(0.0)), MenuEntry::GetNewData);
    h.platform.modalActions.push_back([&h](QDialog &dialog) {
        auto &lnc = static_cast<LnCDialog &>(dialog);
        dialog.resize(900, 700);
        h.platform.fileAnswers.push_back(h.folder.path(QStringLiteral("points")));
        lnc.exportPoints();
        const QList<QByteArray> lines
            = readFileBytes(h.folder.path(QStringLiteral("points.csv"))).split('\n');
        ASSERT_EQ(lines.size(), 103);
        EXPECT_EQ(lines[0], QByteArray("x_cm,xi_cm2,reading,ln_reading,fit,residual"));
        const QList<QByteArray> first = lines[1].split(',');
        EXPECT_NEAR(first[0].toDouble(), 6.95, 1e-6);
        EXPECT_NEAR(first[1].toDouble(), 6.95 * 6.95 / 2.0, 1e-5);
        EXPECT_NEAR(first[3].toDouble() - first[4].toDouble(), first[5].toDouble(), 1e-12);
        for (int format : { 0, 1 }) {
            const QString name
                = format == 0 ? QStringLiteral("lnc.svg") : QStringLiteral("lnc.pdf");
            h.platform.fileAnswers.push_back(h.folder.path(name));
            lnc.exportPlot(format);
            EXPECT_GT(readFileBytes(h.folder.path(name)).size(), 1000) << name.toStdString();
        }
        h.platform.fileAnswers.push_back(h.folder.path(QStringLiteral("lnc.png")));
        h.platform.modalActions.push_front([](QDialog &resolution) { resolution.accept(); });
        lnc.exportPlot(2);
        EXPECT_TRUE(readFileBytes(h.folder.path(QStringLiteral("lnc.png"))).startsWith("\x89PNG"));
        EXPECT_TRUE(readFileBytes(h.folder.path(QStringLiteral("lnc.svg"))).contains("ln c"));
        dialog.accept();
    });
    h.window->lnCAction()->trigger();
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(LnCFit, TheEditorShowsThePointsAsTheyAreBeingEdited)
{
    Harness h;
    h.choose(h.folder.write(QStringLiteral("ideal.dat"), idealScan(0.0)), MenuEntry::GetNewData);
    int fitted = -1;
    QWidget *parent = nullptr;
    runEditor(h, [&](PlotWindow &editor) {
        ASSERT_TRUE(editor.lnCEntry()->isVisible());
        EXPECT_EQ(editor.lnCEntry()->text(), QStringLiteral("&ln c vs r\u00b2/2..."));
        // Ten points removed in the editor, not yet in the data set.
        for (int i = 1; i <= 10; ++i)
            editor.session().PlotFlag(i) = -100.0f;
        h.platform.modalActions.push_back([&](QDialog &dialog) {
            fitted = static_cast<LnCDialog &>(dialog).fit().points;
            parent = dialog.parentWidget();
            dialog.accept();
        });
        editor.lnCEntry()->trigger();
        EXPECT_EQ(parent, &editor) << "over the editor, which waits for it";
        editor.button(8)->trigger(); // leave without keeping the edits
    });
    EXPECT_EQ(fitted, 91);
    EXPECT_GT(h.state->DataPts.flag(1), 0.0f) << "the data set as it was";
}

TEST(LnCFit, TheGuidesEquilibriumExampleGivesFiftyKilodaltons)
{
    Harness h;
    h.choose(h.example(QStringLiteral("equilibrium-scan.dat")), MenuEntry::GetNewData);
    std::optional<double> mass;
    QString diagnostics;
    h.platform.modalActions.push_back([&](QDialog &dialog) {
        mass = static_cast<LnCDialog &>(dialog).fit().mass;
        diagnostics = static_cast<LnCDialog &>(dialog).diagnosticsLabel()->text();
        dialog.accept();
    });
    h.window->lnCAction()->trigger();
    ASSERT_TRUE(mass);
    EXPECT_NEAR(*mass / IdealMass, 1.0, 0.015) << *mass;
    EXPECT_EQ(diagnostics, QStringLiteral("No warnings."));
}
