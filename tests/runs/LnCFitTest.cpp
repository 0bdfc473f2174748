// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/LnCFit.h"
#include "base/NumLib.h"
#include "base/Profile.h"
#include "editor/PlotWindow.h"
#include "runs/LnCDialog.h"
#include "runs/RunReader.h"
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

TEST(LnCFit, TheConstantsAndUnitsOfAHandWorkedCase)
{
    // omega = 1000 rad/s and T = 300 K: M (1 - vbar rho) = sigma R T / omega^2
    // = 1 cm^-2 * 8.314462618e7 erg/(mol K) * 300 K / 1e6 s^-2.
    const double rpm = 60000.0 / (2.0 * std::numbers::pi);
    EXPECT_NEAR(BuoyantMassOf(1.0, rpm, 26.85), 24943.387854, 1e-6);

    // ln c = 2 + 0.5 xi at five points: sigma 0.5, no residual.
    std::vector<RadialPoint> points;
    for (double x : { 6.0, 6.1, 6.2, 6.3, 6.4 })
        points.push_back({ x, std::exp(2.0 + 0.5 * x * x / 2.0) });
    points.push_back({ 6.5, 0.0 }); // not above 0: left out
    points.push_back({ 7.0, 5.0 }); // outside the range
    const FitConstants constants { rpm, 26.85, 0.73, 1.0 };
    const LnCFit fit = FitLnC(points, 6.0, 6.5, constants);
    EXPECT_EQ(fit.points, 5);
    ASSERT_TRUE(fit.sigma);
    EXPECT_NEAR(*fit.sigma, 0.5, 1e-12);
    EXPECT_NEAR(fit.intercept, 2.0, 1e-10);
    EXPECT_NEAR(*fit.rms, 0.0, 1e-12);
    EXPECT_NEAR(*fit.buoyantMass, 0.5 * 24943.387854, 1e-5);
    EXPECT_NEAR(*fit.mass, 0.5 * 24943.387854 / 0.27, 1e-4);

    // No fit without the speed, on two points, or with vbar rho = 1 no mass.
    EXPECT_FALSE(FitLnC(points, 6.0, 6.5, FitConstants { std::nullopt, 20.0, 0.73, 1.0 }).sigma);
    EXPECT_FALSE(FitLnC(points, 6.0, 6.15, constants).sigma);
    const LnCFit floating = FitLnC(points, 6.0, 6.5, FitConstants { rpm, 26.85, 1.0, 1.0 });
    EXPECT_TRUE(floating.buoyantMass);
    EXPECT_FALSE(floating.mass);
}

TEST(LnCFit, AnIdealSpeciesGivesItsMass)
{
    TestFolder folder;
    NumLib numlib;
    RunOptions options;
    options.trim = 0.0;
    const ::Run exact
        = ReadRun({ folder.write(QStringLiteral("ideal.dat"), idealScan(0.0)) }, numlib);
    ASSERT_EQ(exact.scans.size(), 1u);
    const LnCFit fit = FitScan(exact.scans[0], options);
    ASSERT_TRUE(fit.mass);
    EXPECT_NEAR(*fit.mass / IdealMass, 1.0, 1e-4) << *fit.mass;
    EXPECT_EQ(fit.points, 101);
    EXPECT_TRUE(LnCDiagnostics(fit, 1.5, true).isEmpty())
        << LnCDiagnostics(fit, 1.5, true).join('\n').toStdString();
    // Flat along the column: every window gives the same mass.
    for (const QPointF &p : ApparentMass(fit, FitConstants { 20000.0, 20.0, 0.73, 1.0 }, 15))
        EXPECT_NEAR(p.y() / IdealMass, 1.0, 1e-3);

    // With realistic noise, several scans: within 2 %.
    for (unsigned seed = 1; seed <= 5; ++seed) {
        const ::Run noisy = ReadRun(
            { folder.write(QStringLiteral("noisy%1.dat").arg(seed), idealScan(0.004, seed)) },
            numlib);
        const LnCFit noisyFit = FitScan(noisy.scans[0], options);
        ASSERT_TRUE(noisyFit.mass);
        EXPECT_NEAR(*noisyFit.mass / IdealMass, 1.0, 0.02) << "seed " << seed;
    }
}

TEST(LnCFit, AMixtureRisesAlongTheColumnAndCurvesUpward)
{
    TestFolder folder;
    NumLib numlib;
    const QString path = folder.write(QStringLiteral("mixture.dat"),
        IdealScanBytes(
            { { 10000.0, 0.08 }, { 25000.0, 0.002 } }, 20000, 20.0, 6.9, 7.1, 0.002, 0.0, 1));
    const ::Run run = ReadRun({ path }, numlib);
    RunOptions options;
    options.trim = 0.0;
    options.ceiling = 5.0;
    const LnCFit fit = FitScan(run.scans[0], options);
    const std::vector<QPointF> masses
        = ApparentMass(fit, FitConstants { 20000.0, 20.0, 0.73, 1.0 }, 15);
    ASSERT_GT(masses.size(), 20u);
    for (size_t i = 1; i < masses.size(); ++i)
        EXPECT_GT(masses[i].y(), masses[i - 1].y()) << "at " << i;
    EXPECT_GT(masses.back().y(), 1.2 * masses.front().y());
    const QStringList said = LnCDiagnostics(fit, 5.0, true);
    ASSERT_EQ(said.size(), 1) << said.join('\n').toStdString();
    EXPECT_TRUE(said[0].startsWith(QStringLiteral("The residuals curve upward")));
    EXPECT_TRUE(
        said[0].endsWith(QStringLiteral("association or heterogeneity (more than one species).")));
}

TEST(LnCFit, DiagnosticsNameWhatMakesAFitUnreliableWithTheirThresholds)
{
    const FitConstants constants { 20000.0, 20.0, 0.73, 1.0 };
    const auto scan = [](double from, double to, double step, double reading) {
        std::vector<RadialPoint> points;
        for (double x = from; x <= to + 1e-9; x += step)
            points.push_back({ x,
                reading
                    * std::exp(SigmaOf(IdealBuoyant, 20000, 20.0) * (x * x - from * from) / 2.0) });
        return points;
    };
    const struct {
        const char *name;
        std::vector<RadialPoint> points;
        QString starts;
        QString ends;
    } rows[] = {
        { "few points", scan(6.9, 7.1, 0.005, 0.1), QStringLiteral("Only 41 points are fitted"),
            QStringLiteral("(at least 50 are wanted).") },
        { "a small span", scan(6.9, 6.95, 0.001, 0.2), QStringLiteral("The readings span 0.26"),
            QStringLiteral(
                "(at least 0.4 is wanted): too little of the gradient to tell its shape.") },
        { "a low top", scan(6.9, 7.1, 0.002, 0.01), QStringLiteral("The highest reading is 0.3"),
            QStringLiteral("(at least 0.6 is wanted): the signal is weak against the noise.") },
        { "above the ceiling", scan(6.9, 7.1, 0.002, 0.1),
            QStringLiteral("The highest reading is 3"),
            QStringLiteral(", above the absorbance ceiling of 1.5: the detector may no longer be "
                           "linear there.") },
    };
    for (const auto &row : rows) {
        const QStringList said
            = LnCDiagnostics(FitLnC(row.points, 0.0, 10.0, constants), 1.5, true);
        bool found = false;
        for (const QString &line : said)
            found = found || (line.startsWith(row.starts) && line.endsWith(row.ends));
        EXPECT_TRUE(found) << row.name << ": " << said.join('\n').toStdString();
    }
    // The ceiling is for absorbance.
    const LnCFit bright = FitLnC(scan(6.9, 7.1, 0.002, 0.1), 0.0, 10.0, constants);
    EXPECT_TRUE(LnCDiagnostics(bright, 1.5, false).isEmpty());
}

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
    ASSERT_EQ(row.size(), 22);
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
