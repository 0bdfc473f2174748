// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/IdealFit.h"
#include "support/RunGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace
{

constexpr double Vbar = 0.73;
constexpr double Buoyancy = 1.0 - Vbar;
constexpr double Temperature = 10.0;

// A scan at equilibrium as the instrument gives it: radii single precision
// at irregular steps of 0.001-0.006 cm from the inner to the outer fit
// limit of a 6.85-7.20 cm column, the loaded reading conserved across it,
// the scan's own offset, Gaussian noise, and readings above the ceiling of
// 1.5 left out as the good points leave them.
struct Shape {
    double buoyantMass = 13500.0;
    int rpm = 16000;
    double loading = 0.5;
    double offset = 0.0;
    double noise = 0.004;
    unsigned seed = 1;
    double meniscus = 6.85;
    double bottom = 7.20;
};

SpeciesScan equilibriumScan(const Shape &shape)
{
    std::mt19937 random(shape.seed);
    std::uniform_real_distribution<double> step(0.001, 0.006);
    std::normal_distribution<double> gauss(0.0, 1.0);
    const double sigma = SigmaOf(shape.buoyantMass, shape.rpm, Temperature);
    const double xm = shape.meniscus * shape.meniscus / 2.0;
    const double span = shape.bottom * shape.bottom / 2.0 - xm;
    const double atMeniscus = shape.loading * sigma * span / std::expm1(sigma * span);
    SpeciesScan scan;
    scan.rpm = shape.rpm;
    scan.temperature = Temperature;
    for (double x = shape.meniscus + 0.02; x <= shape.bottom - 0.03; x += step(random)) {
        const double c = atMeniscus * std::exp(sigma * (x * x / 2.0 - xm)) + shape.offset
            + shape.noise * gauss(random);
        if (c <= 1.5)
            scan.points.push_back({ double(float(x)), double(float(c)) });
    }
    return scan;
}

// The sum of squares of a cell for a fixed Mb, every a and b solved by the
// normal equations of e^(sigma (xi - xiref)) and 1: written apart from the
// fit, to check its optimum.
double sumOfSquares(const std::vector<SpeciesScan> &scans, double buoyantMass, bool baseline)
{
    double total = 0.0;
    for (const SpeciesScan &scan : scans) {
        const double sigma = SigmaOf(buoyantMass, int(*scan.rpm), *scan.temperature);
        double xiRef = 0.0;
        for (const RadialPoint &p : scan.points)
            xiRef += p.x * p.x / 2.0;
        xiRef /= double(scan.points.size());
        double see = 0.0, se = 0.0, sn = 0.0, sec = 0.0, sc = 0.0;
        for (const RadialPoint &p : scan.points) {
            const double e = std::exp(sigma * (p.x * p.x / 2.0 - xiRef));
            see += e * e;
            se += e;
            sn += 1.0;
            sec += e * p.c;
            sc += p.c;
        }
        double a = sec / see, b = 0.0;
        if (baseline) {
            const double det = see * sn - se * se;
            a = (sec * sn - se * sc) / det;
            b = (see * sc - se * sec) / det;
        }
        for (const RadialPoint &p : scan.points) {
            const double r = p.c - a * std::exp(sigma * (p.x * p.x / 2.0 - xiRef)) - b;
            total += r * r;
        }
    }
    return total;
}

// Mb at the least sum of squares: a scan over a log grid, then golden
// sections down to the last digits.
double searchedBuoyantMass(const std::vector<SpeciesScan> &scans, bool baseline)
{
    double best = 1000.0;
    double lowest = HUGE_VAL;
    for (double mb = 1000.0; mb < 1e6; mb *= 1.02) {
        const double ssr = sumOfSquares(scans, mb, baseline);
        if (ssr < lowest) {
            lowest = ssr;
            best = mb;
        }
    }
    double lo = best / 1.02, hi = best * 1.02;
    const double g = (std::sqrt(5.0) - 1.0) / 2.0;
    double x1 = hi - g * (hi - lo), x2 = lo + g * (hi - lo);
    double f1 = sumOfSquares(scans, x1, baseline), f2 = sumOfSquares(scans, x2, baseline);
    while (hi - lo > 1e-10 * best) {
        if (f1 < f2) {
            hi = x2;
            x2 = x1;
            f2 = f1;
            x1 = hi - g * (hi - lo);
            f1 = sumOfSquares(scans, x1, baseline);
        } else {
            lo = x1;
            x1 = x2;
            f1 = f2;
            x2 = lo + g * (hi - lo);
            f2 = sumOfSquares(scans, x2, baseline);
        }
    }
    return (lo + hi) / 2.0;
}

// The standard error of Mb from a Jacobian taken by central differences of
// the model at the fit's own parameters, inverted by Gauss-Jordan.
double numericStandardError(const std::vector<SpeciesScan> &scans, const SpeciesFit &fit)
{
    const bool baseline = true;
    std::vector<double> x { fit.buoyantMass };
    for (const SpeciesScanFit &scan : fit.perScan) {
        x.push_back(scan.amplitude);
        x.push_back(scan.baseline);
    }
    const size_t p = x.size();
    const auto residuals = [&](const std::vector<double> &at) {
        std::vector<double> r;
        for (size_t k = 0; k < scans.size(); ++k) {
            const double sigma = SigmaOf(at[0], int(*scans[k].rpm), *scans[k].temperature);
            for (const RadialPoint &point : scans[k].points)
                r.push_back(point.c
                    - at[1 + 2 * k]
                        * std::exp(sigma * (point.x * point.x / 2.0 - fit.perScan[k].xiRef))
                    - (baseline ? at[2 + 2 * k] : 0.0));
        }
        return r;
    };
    const std::vector<double> r0 = residuals(x);
    std::vector<std::vector<double>> columns;
    for (size_t j = 0; j < p; ++j) {
        const double h = 1e-6 * std::max(std::fabs(x[j]), 1e-3);
        std::vector<double> up = x, down = x;
        up[j] += h;
        down[j] -= h;
        const std::vector<double> ru = residuals(up), rd = residuals(down);
        std::vector<double> column;
        for (size_t i = 0; i < r0.size(); ++i)
            column.push_back((ru[i] - rd[i]) / (2.0 * h));
        columns.push_back(column);
    }
    // [J^T J | I] reduced to [I | (J^T J)^-1].
    std::vector<std::vector<double>> m(p, std::vector<double>(2 * p, 0.0));
    for (size_t a = 0; a < p; ++a) {
        for (size_t b = 0; b < p; ++b) {
            for (size_t i = 0; i < r0.size(); ++i)
                m[a][b] += columns[a][i] * columns[b][i];
        }
        m[a][p + a] = 1.0;
    }
    for (size_t c = 0; c < p; ++c) {
        size_t pivot = c;
        for (size_t row = c + 1; row < p; ++row) {
            if (std::fabs(m[row][c]) > std::fabs(m[pivot][c]))
                pivot = row;
        }
        std::swap(m[c], m[pivot]);
        const double d = m[c][c];
        for (double &v : m[c])
            v /= d;
        for (size_t row = 0; row < p; ++row) {
            if (row == c)
                continue;
            const double factor = m[row][c];
            for (size_t k = 0; k < 2 * p; ++k)
                m[row][k] -= factor * m[c][k];
        }
    }
    double ssr = 0.0;
    for (double v : r0)
        ssr += v * v;
    return std::sqrt(ssr / double(r0.size() - p) * m[0][p]);
}

// One cell: three speeds, three wavelengths each (loadings 0.9, 0.6, 0.3),
// every scan with its own offset of either sign.
std::vector<SpeciesScan> cellOf(
    double buoyantMass, std::vector<int> speeds, unsigned seed, double noise = 0.004)
{
    std::vector<SpeciesScan> scans;
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> offset(-0.03, 0.03);
    for (int rpm : speeds) {
        for (double loading : { 0.9, 0.6, 0.3 }) {
            Shape shape;
            shape.buoyantMass = buoyantMass;
            shape.rpm = rpm;
            shape.loading = loading;
            shape.offset = offset(random);
            shape.noise = noise;
            shape.seed = unsigned(random());
            scans.push_back(equilibriumScan(shape));
        }
    }
    return scans;
}

} // namespace

TEST(SpeciesFit, ExactReadingsGiveTheirParametersBack)
{
    // Rising and falling readings (a of either sign, as interference scans
    // of either sector come), offsets of either sign, with and without the
    // baseline.
    const struct {
        const char *name;
        double amplitude;
        double baseline;
        double buoyantMass;
        int rpm;
        bool fitBaseline;
    } rows[] = {
        { "rising, offset above", 0.4, 0.02, 13500.0, 16000, true },
        { "rising, offset below", 0.4, -0.03, 54000.0, 10000, true },
        { "falling", -0.4, 0.8, 13500.0, 24000, true },
        { "small mass, slow", 0.5, 0.01, 5400.0, 8000, true },
        { "large mass, fast", 0.02, -0.01, 40000.0, 30000, true },
        { "no baseline", 0.4, 0.0, 13500.0, 16000, false },
        { "negative sigma", 0.4, 0.1, -8000.0, 20000, true },
    };
    for (const auto &row : rows) {
        SpeciesScan scan;
        scan.rpm = row.rpm;
        scan.temperature = Temperature;
        for (double x = 6.87; x <= 7.17; x += 0.0015)
            scan.points.push_back({ x, 0.0 });
        double xiRef = 0.0;
        for (const RadialPoint &p : scan.points)
            xiRef += p.x * p.x / 2.0;
        xiRef /= double(scan.points.size());
        const double sigma = SigmaOf(row.buoyantMass, row.rpm, Temperature);
        for (RadialPoint &p : scan.points)
            p.c = row.amplitude * std::exp(sigma * (p.x * p.x / 2.0 - xiRef)) + row.baseline;
        SpeciesOptions options;
        options.baseline = row.fitBaseline;
        const SpeciesFit fit = FitSpecies(
            scan.points, FitConstants { scan.rpm, scan.temperature, Vbar, 1.0 }, options);
        ASSERT_TRUE(fit.fitted()) << row.name << ": "
                                  << SpeciesFailureText(fit.failure).toStdString();
        ASSERT_EQ(fit.perScan.size(), 1u);
        const SpeciesScanFit &one = fit.perScan[0];
        EXPECT_NEAR(fit.buoyantMass / row.buoyantMass, 1.0, 1e-8) << row.name;
        EXPECT_NEAR(*fit.mass / (row.buoyantMass / Buoyancy), 1.0, 1e-8) << row.name;
        EXPECT_NEAR(one.amplitude, row.amplitude, 1e-8) << row.name;
        EXPECT_NEAR(one.baseline, row.baseline, 1e-8) << row.name;
        EXPECT_NEAR(one.sigma / sigma, 1.0, 1e-8) << row.name;
        EXPECT_NEAR(one.xiRef, xiRef, 1e-12) << row.name;
        EXPECT_LT(fit.rms, 1e-9) << row.name;
        EXPECT_EQ(fit.points, int(scan.points.size())) << row.name;
        EXPECT_EQ(one.curve.size(), scan.points.size()) << row.name;
        EXPECT_NEAR(one.curve.back(), scan.points.back().c, 1e-9) << row.name;
    }
}

TEST(SpeciesFit, ACellOfSeveralSpeedsAndWavelengthsGivesTheMassOfItsSpecies)
{
    // 20 to 200 kDa, each at speeds that suit it, offsets of either sign.
    const struct {
        const char *name;
        double mass;
        std::vector<int> speeds;
    } rows[] = {
        { "20 kDa", 20000.0, { 20000, 25000, 30000 } },
        { "50 kDa", 50000.0, { 12000, 16000, 20000 } },
        { "100 kDa", 100000.0, { 8000, 12000, 16000 } },
        { "200 kDa", 200000.0, { 8000, 10000, 12000 } },
    };
    for (const auto &row : rows) {
        const std::vector<SpeciesScan> scans = cellOf(row.mass * Buoyancy, row.speeds, 11);
        const SpeciesFit cell = FitCell(scans, Vbar, 1.0);
        ASSERT_TRUE(cell.fitted())
            << row.name << ": " << SpeciesFailureText(cell.failure).toStdString();
        EXPECT_EQ(cell.scans, 9) << row.name;
        ASSERT_EQ(cell.perScan.size(), 9u) << row.name;
        ASSERT_TRUE(cell.mass && cell.massSe) << row.name;
        EXPECT_NEAR(*cell.mass, row.mass, 4.0 * *cell.massSe) << row.name;
        EXPECT_NEAR(*cell.mass / row.mass, 1.0, 0.02) << row.name;
        EXPECT_NEAR(*cell.massSe, cell.buoyantMassSe / Buoyancy, 1e-9 * *cell.massSe);
        // The noise, as drawn, is what remains.
        EXPECT_NEAR(cell.rms, 0.004, 0.0004) << row.name;
        int points = 0;
        for (size_t k = 0; k < scans.size(); ++k) {
            points += int(scans[k].points.size());
            EXPECT_EQ(cell.perScan[k].points, int(scans[k].points.size()));
            // Each scan alone agrees with the cell, within its own error.
            const SpeciesFit alone = FitSpecies(
                scans[k].points, FitConstants { scans[k].rpm, scans[k].temperature, Vbar, 1.0 });
            if (alone.fitted()) {
                EXPECT_NEAR(*alone.mass, row.mass, 5.0 * *alone.massSe) << row.name << " " << k;
            }
        }
        EXPECT_EQ(cell.points, points) << row.name;
    }
}

TEST(SpeciesFit, TheOptimumIsTheLeastSumOfSquares)
{
    // A search of its own over Mb, each a and b solved from the normal
    // equations, agrees with the fit to 1e-6: for a cell, a scan, and
    // without the baseline.
    const std::vector<SpeciesScan> cell = cellOf(50000.0 * Buoyancy, { 12000, 16000, 20000 }, 3);
    const SpeciesFit global = FitCell(cell, Vbar, 1.0);
    ASSERT_TRUE(global.fitted());
    EXPECT_NEAR(global.buoyantMass / searchedBuoyantMass(cell, true), 1.0, 1e-6);

    for (size_t k : { size_t(0), size_t(4), size_t(8) }) {
        const SpeciesFit one = FitCell({ cell[k] }, Vbar, 1.0);
        ASSERT_TRUE(one.fitted()) << k;
        EXPECT_NEAR(one.buoyantMass / searchedBuoyantMass({ cell[k] }, true), 1.0, 1e-6) << k;
    }

    Shape clean;
    clean.seed = 5;
    const std::vector<SpeciesScan> noOffset = { equilibriumScan(clean) };
    SpeciesOptions without;
    without.baseline = false;
    const SpeciesFit plain = FitCell(noOffset, Vbar, 1.0, without);
    ASSERT_TRUE(plain.fitted());
    EXPECT_EQ(plain.perScan[0].baseline, 0.0);
    EXPECT_NEAR(plain.buoyantMass / searchedBuoyantMass(noOffset, false), 1.0, 1e-6);
    // Without the baseline to fit, the error is smaller.
    const SpeciesFit with = FitCell(noOffset, Vbar, 1.0);
    ASSERT_TRUE(with.fitted());
    EXPECT_LT(plain.buoyantMassSe, with.buoyantMassSe);
}

TEST(SpeciesFit, TheStandardErrorIsTheScatterOfTheMass)
{
    // Against a Jacobian of its own at the optimum: one scan, and a cell of
    // two speeds.
    Shape shape;
    shape.offset = -0.015;
    const SpeciesScan scan = equilibriumScan(shape);
    const SpeciesFit one = FitCell({ scan }, Vbar, 1.0);
    ASSERT_TRUE(one.fitted());
    EXPECT_NEAR(one.buoyantMassSe / numericStandardError({ scan }, one), 1.0, 1e-4);
    Shape faster = shape;
    faster.rpm = 24000;
    faster.offset = 0.02;
    faster.seed = 9;
    const std::vector<SpeciesScan> two = { scan, equilibriumScan(faster) };
    const SpeciesFit both = FitCell(two, Vbar, 1.0);
    ASSERT_TRUE(both.fitted());
    EXPECT_NEAR(both.buoyantMassSe / numericStandardError(two, both), 1.0, 1e-4);

    // Against the scatter of the mass over many draws of the noise: their
    // standard deviation and the mean standard error agree within 15 %.
    const int draws = 200;
    double sum = 0.0, squares = 0.0, errors = 0.0;
    for (int seed = 1; seed <= draws; ++seed) {
        Shape noisy = shape;
        noisy.seed = unsigned(seed) * 7919u;
        const SpeciesFit fit = FitCell({ equilibriumScan(noisy) }, Vbar, 1.0);
        ASSERT_TRUE(fit.fitted()) << seed;
        sum += fit.buoyantMass;
        squares += fit.buoyantMass * fit.buoyantMass;
        errors += fit.buoyantMassSe;
    }
    const double mean = sum / draws;
    const double deviation = std::sqrt((squares - sum * sum / draws) / (draws - 1));
    EXPECT_NEAR(deviation / (errors / draws), 1.0, 0.15);
    EXPECT_NEAR(mean, shape.buoyantMass, 4.0 * deviation / std::sqrt(double(draws)));
}

TEST(SpeciesFit, WhatCannotBeFittedSaysWhyAndGivesNoNumber)
{
    Shape shape;
    const SpeciesScan good = equilibriumScan(shape);
    SpeciesScan few = good;
    few.points.resize(4);
    Shape exact;
    exact.noise = 0.0;
    SpeciesScan five = equilibriumScan(exact);
    five.points.resize(5);
    SpeciesScan noSpeed = good;
    noSpeed.rpm.reset();
    SpeciesScan stopped = good;
    stopped.rpm = 0.0;
    SpeciesScan noTemperature = good;
    noTemperature.temperature.reset();
    SpeciesScan frozen = good;
    frozen.temperature = -300.0;
    SpeciesScan constant = good;
    for (RadialPoint &p : constant.points)
        p.c = 0.25;
    Shape flatShape;
    flatShape.buoyantMass = 1e-9;
    const SpeciesScan flat = equilibriumScan(flatShape);
    Shape quiet = flatShape;
    quiet.noise = 0.0005;
    SpeciesScan spike = equilibriumScan(quiet);
    spike.points.back().c += 0.3;
    SpeciesOptions noBaseline;
    noBaseline.baseline = false;
    const struct {
        const char *name;
        std::vector<SpeciesScan> scans;
        SpeciesOptions options;
        SpeciesFailure failure;
        int failedScan;
    } rows[] = {
        { "no scans", {}, {}, SpeciesFailure::TooFewPoints, -1 },
        { "four points", { few }, {}, SpeciesFailure::TooFewPoints, 0 },
        { "four points in the second scan", { good, few }, {}, SpeciesFailure::TooFewPoints, 1 },
        { "no speed", { good, noSpeed }, {}, SpeciesFailure::NoSpeed, 1 },
        { "speed 0", { stopped }, {}, SpeciesFailure::NoSpeed, 0 },
        { "no temperature", { noTemperature }, {}, SpeciesFailure::NoSpeed, 0 },
        { "below absolute zero", { frozen }, {}, SpeciesFailure::NoSpeed, 0 },
        { "a constant scan", { constant }, {}, SpeciesFailure::FlatData, -1 },
        { "a constant scan, no baseline", { constant }, noBaseline, SpeciesFailure::FlatData, -1 },
        { "flat noise", { flat }, {}, SpeciesFailure::FlatData, -1 },
        { "flat but for a spike on the last point", { spike }, {}, SpeciesFailure::FlatData, -1 },
    };
    for (const auto &row : rows) {
        const SpeciesFit fit = FitCell(row.scans, Vbar, 1.0, row.options);
        EXPECT_EQ(fit.failure, row.failure) << row.name;
        EXPECT_EQ(fit.failedScan, row.failedScan) << row.name;
        EXPECT_FALSE(fit.fitted()) << row.name;
        EXPECT_FALSE(fit.mass) << row.name;
        EXPECT_TRUE(fit.perScan.empty()) << row.name;
        EXPECT_FALSE(std::isnan(fit.buoyantMass) || std::isnan(fit.buoyantMassSe)) << row.name;
    }
    EXPECT_EQ(SpeciesFailureText(SpeciesFailure::TooFewPoints), QStringLiteral("too few points"));
    EXPECT_EQ(SpeciesFailureText(SpeciesFailure::NoConvergence), QStringLiteral("no convergence"));
    EXPECT_EQ(SpeciesFailureText(SpeciesFailure::None), QString());

    // Five points are enough; vbar rho of 1 gives no mass but a buoyant one.
    const SpeciesFit fromFive = FitCell({ five }, Vbar, 1.0);
    ASSERT_TRUE(fromFive.fitted());
    EXPECT_NEAR(fromFive.buoyantMass / exact.buoyantMass, 1.0, 1e-2);
    const SpeciesFit floating = FitCell({ good }, 1.0, 1.0);
    ASSERT_TRUE(floating.fitted());
    EXPECT_FALSE(floating.mass);
    EXPECT_FALSE(floating.massSe);
    EXPECT_GT(floating.buoyantMass, 0.0);
}

TEST(SpeciesFit, WildReadingsGiveANumberOrAReasonNeverANaN)
{
    // Spikes, steps and noise far above the gradient: whatever the fit
    // says, every number it gives is finite.
    std::mt19937 random(42);
    std::uniform_real_distribution<double> wild(-3.0, 3.0);
    for (int trial = 0; trial < 200; ++trial) {
        Shape shape;
        shape.seed = unsigned(trial + 1);
        shape.noise = trial % 2 == 0 ? 0.5 : 0.004;
        SpeciesScan scan = equilibriumScan(shape);
        for (size_t i = 0; i < scan.points.size(); i += 1 + size_t(trial % 17))
            scan.points[i].c = wild(random);
        const SpeciesFit fit = FitCell({ scan }, Vbar, 1.0);
        if (!fit.fitted()) {
            EXPECT_FALSE(SpeciesFailureText(fit.failure).isEmpty());
            continue;
        }
        EXPECT_TRUE(std::isfinite(fit.buoyantMass) && std::isfinite(fit.buoyantMassSe)
            && std::isfinite(fit.rms) && std::isfinite(*fit.mass))
            << trial;
        for (double r : fit.perScan[0].residuals)
            ASSERT_TRUE(std::isfinite(r)) << trial;
    }
}
