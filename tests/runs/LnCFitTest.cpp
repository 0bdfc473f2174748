// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/LnCFit.h"
#include "core/NumLib.h"
#include "runs/RunReader.h"
#include "support/RunGenerator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

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
