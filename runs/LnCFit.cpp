// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/LnCFit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{

struct Line {
    double slope = 0.0;
    double intercept = 0.0;
};

// Least squares over points[first, first + n); centred sums for accuracy.
std::optional<Line> lineThrough(const std::vector<QPointF> &points, size_t first, size_t n)
{
    if (n < size_t(MinFitPoints))
        return std::nullopt;
    double mx = 0.0, my = 0.0;
    for (size_t i = first; i < first + n; ++i) {
        mx += points[i].x();
        my += points[i].y();
    }
    mx /= double(n);
    my /= double(n);
    double sxx = 0.0, sxy = 0.0;
    for (size_t i = first; i < first + n; ++i) {
        sxx += (points[i].x() - mx) * (points[i].x() - mx);
        sxy += (points[i].x() - mx) * (points[i].y() - my);
    }
    if (!(sxx > 0.0))
        return std::nullopt;
    const double slope = sxy / sxx;
    return Line { slope, my - slope * mx };
}

} // namespace

bool UsableSpeed(double rpm)
{
    return std::isfinite(rpm) && rpm > 0.0;
}

bool UsableTemperature(double temperature)
{
    return std::isfinite(temperature) && temperature + ZeroCelsius > 0.0;
}

double BuoyantMassOf(double sigma, double rpm, double temperature)
{
    const double omega = 2.0 * std::numbers::pi * rpm / 60.0;
    return sigma * GasConstant * (temperature + ZeroCelsius) / (omega * omega);
}

FitSummary SummaryOf(const LnCFit &fit)
{
    return { fit.points, fit.sigma, fit.rms, fit.buoyantMass, fit.mass };
}

LnCFit FitLnC(
    const std::vector<RadialPoint> &points, double lo, double hi, const FitConstants &constants)
{
    LnCFit fit;
    fit.lo = lo = RadiusBound(lo);
    fit.hi = hi = RadiusBound(hi);
    for (const RadialPoint &p : points) {
        if (p.x < lo || p.x > hi || !(p.c > 0.0))
            continue;
        if (fit.lnc.empty()) {
            fit.lowestReading = fit.highestReading = p.c;
        } else {
            fit.lowestReading = std::min(fit.lowestReading, p.c);
            fit.highestReading = std::max(fit.highestReading, p.c);
        }
        fit.fitted.push_back(p);
        fit.lnc.emplace_back(p.x * p.x / 2.0, std::log(p.c));
    }
    fit.points = int(fit.lnc.size());
    if (!constants.rpm || !constants.temperature || !UsableSpeed(*constants.rpm)
        || !UsableTemperature(*constants.temperature))
        return fit;
    const std::optional<Line> line = lineThrough(fit.lnc, 0, fit.lnc.size());
    if (!line || !std::isfinite(line->slope) || !std::isfinite(line->intercept))
        return fit;
    fit.sigma = line->slope;
    fit.intercept = line->intercept;
    double squares = 0.0;
    for (const QPointF &p : fit.lnc) {
        const double residual = p.y() - (line->intercept + line->slope * p.x());
        fit.residuals.push_back(residual);
        squares += residual * residual;
    }
    fit.rms = std::sqrt(squares / double(fit.points));
    fit.buoyantMass = BuoyantMassOf(line->slope, *constants.rpm, *constants.temperature);
    const double buoyancy = 1.0 - constants.vbar * constants.density;
    if (buoyancy != 0.0)
        fit.mass = *fit.buoyantMass / buoyancy;
    return fit;
}

std::pair<double, double> FitRange(
    const std::vector<RadialPoint> &points, const RunOptions &options)
{
    if (points.empty())
        return { 0.0, 0.0 };
    return { options.from ? RadiusBound(*options.from)
                          : RadiusBoundFrom(points.front().x, options.trim),
        options.to ? RadiusBound(*options.to) : RadiusBoundFrom(points.back().x, -options.trim) };
}

LnCFit FitScan(const Scan &scan, const RunOptions &options)
{
    const std::vector<RadialPoint> points = GoodPoints(scan, options.ceiling);
    FitConstants constants;
    constants.vbar = options.vbar;
    constants.density = options.density;
    if (scan.header) {
        constants.rpm = scan.header->speed;
        constants.temperature = scan.header->temperature;
    }
    const auto [lo, hi] = FitRange(points, options);
    return FitLnC(points, lo, hi, constants);
}

std::vector<QPointF> ApparentMass(const LnCFit &fit, const FitConstants &constants, int window)
{
    std::vector<QPointF> masses;
    if (!fit.sigma || !constants.rpm || !constants.temperature || window < MinFitPoints)
        return masses;
    const double buoyancy = 1.0 - constants.vbar * constants.density;
    if (buoyancy == 0.0)
        return masses;
    const size_t n = size_t(window);
    for (size_t first = 0; first + n <= fit.lnc.size(); ++first) {
        const std::optional<Line> line = lineThrough(fit.lnc, first, n);
        if (!line)
            continue;
        const double middle = (fit.lnc[first].x() + fit.lnc[first + n - 1].x()) / 2.0;
        masses.emplace_back(
            middle, BuoyantMassOf(line->slope, *constants.rpm, *constants.temperature) / buoyancy);
    }
    return masses;
}

std::optional<Curvature> CurvatureOf(const LnCFit &fit)
{
    const size_t n = fit.lnc.size();
    if (!fit.sigma || n < 4)
        return std::nullopt;
    // ln c = a + b u + q u^2 with u the xi about its mean, solved by the
    // normal equations of the centred powers.
    double mean = 0.0;
    for (const QPointF &p : fit.lnc)
        mean += p.x();
    mean /= double(n);
    double s[5] = {}; // sums of u^k
    double t[3] = {}; // sums of y u^k
    for (const QPointF &p : fit.lnc) {
        const double u = p.x() - mean;
        double power = 1.0;
        for (int k = 0; k < 5; ++k) {
            if (k < 3)
                t[k] += p.y() * power;
            s[k] += power;
            power *= u;
        }
    }
    const double m[3][3] = { { s[0], s[1], s[2] }, { s[1], s[2], s[3] }, { s[2], s[3], s[4] } };
    const auto det3 = [](const double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1])
            - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0])
            + a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    const double det = det3(m);
    if (!(std::fabs(det) > 0.0))
        return std::nullopt;
    double coefficients[3];
    for (int c = 0; c < 3; ++c) {
        double replaced[3][3];
        for (int r = 0; r < 3; ++r) {
            for (int k = 0; k < 3; ++k)
                replaced[r][k] = k == c ? t[r] : m[r][k];
        }
        coefficients[c] = det3(replaced) / det;
    }
    double squares = 0.0;
    double lowest = fit.lnc.front().x(), highest = lowest;
    for (const QPointF &p : fit.lnc) {
        const double u = p.x() - mean;
        const double residual
            = p.y() - (coefficients[0] + coefficients[1] * u + coefficients[2] * u * u);
        squares += residual * residual;
        lowest = std::min(lowest, p.x());
        highest = std::max(highest, p.x());
    }
    // The variance of q: the residual variance times the (2,2) element of
    // the inverse of the normal matrix, its cofactor over the determinant.
    const double variance = squares / double(n - 3);
    const double cofactor = s[0] * s[2] - s[1] * s[1];
    const double error = std::sqrt(std::max(0.0, variance * cofactor / det));
    Curvature curvature;
    curvature.bow = coefficients[2] * (highest - lowest) * (highest - lowest) / 4.0;
    curvature.significance = error > 0.0 ? std::fabs(coefficients[2]) / error
                                         : (coefficients[2] != 0.0 ? HUGE_VAL : 0.0);
    return curvature;
}

QStringList LnCDiagnostics(const LnCFit &fit, double ceiling, bool absorbance)
{
    QStringList said;
    const auto number = [](double value) { return QString::number(value, 'g', 3); };
    if (fit.points < FewestGoodPoints)
        said << QStringLiteral("Only %1 points are fitted (at least %2 are wanted).")
                    .arg(fit.points)
                    .arg(FewestGoodPoints);
    if (fit.points == 0)
        return said;
    const double span = fit.highestReading - fit.lowestReading;
    if (span < SmallestSpan)
        said << QStringLiteral("The readings span %1 (at least %2 is wanted): too little of the "
                               "gradient to tell its shape.")
                    .arg(number(span), number(SmallestSpan));
    if (fit.highestReading < LowestTop)
        said << QStringLiteral("The highest reading is %1 (at least %2 is wanted): the signal is "
                               "weak against the noise.")
                    .arg(number(fit.highestReading), number(LowestTop));
    if (absorbance && fit.highestReading > ceiling)
        said << QStringLiteral("The highest reading is %1, above the absorbance ceiling of %2: "
                               "the detector may no longer be linear there.")
                    .arg(number(fit.highestReading), number(ceiling));
    if (const std::optional<Curvature> curvature = CurvatureOf(fit)) {
        if (curvature->significance >= ClearCurvature && std::fabs(curvature->bow) >= ClearBow) {
            const bool up = curvature->bow > 0.0;
            said << QStringLiteral(
                "The residuals curve %1 (the square term is %2 times its "
                "standard error, at least %3 is clear; it bends ln c by %4 "
                "across the column, at least %5 is clear): this usually means %6.")
                        .arg(up ? QStringLiteral("upward") : QStringLiteral("downward"),
                            number(curvature->significance), number(ClearCurvature),
                            number(std::fabs(curvature->bow)), number(ClearBow),
                            up ? QStringLiteral("association or heterogeneity (more than one "
                                                "species)")
                               : QStringLiteral("non-ideality (charge or crowding)"));
        }
    }
    return said;
}
