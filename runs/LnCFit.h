// SPDX-License-Identifier: GPL-3.0-or-later
// ln c against r^2/2: for one ideal species at sedimentation equilibrium,
// ln c rises linearly with xi = r^2/2, and the slope sigma gives the
// buoyant molar mass M (1 - vbar rho) = sigma R T / omega^2. The fit is an
// unweighted least-squares line of ln(reading) on xi over the good points
// with a reading above 0 (at least 3, and the speed and temperature known).
#pragma once

#include "runs/GoodPoints.h"
#include "runs/RunOptions.h"

#include <QPointF>
#include <QStringList>

#include <optional>
#include <vector>

constexpr double GasConstant = 8.314462618e7; // erg/(mol K)
constexpr double ZeroCelsius = 273.15; // K
constexpr int MinFitPoints = 3;

// What the mass needs besides the points.
struct FitConstants {
    std::optional<double> rpm;
    std::optional<double> temperature; // C
    double vbar = 0.73; // mL/g
    double density = 1.0; // g/mL
};

struct LnCFit {
    int points = 0; // fitted
    double lo = 0.0; // the range fitted (cm)
    double hi = 0.0;
    std::vector<RadialPoint> fitted; // the points fitted, as read
    std::vector<QPointF> lnc; // xi (cm^2), ln(reading), of each
    std::vector<double> residuals; // ln(reading) less the line, per point
    double lowestReading = 0.0; // of the points fitted
    double highestReading = 0.0;
    // The line and the masses, when there is a fit.
    std::optional<double> sigma; // cm^-2
    double intercept = 0.0;
    std::optional<double> rms; // of the residuals
    std::optional<double> buoyantMass; // g/mol
    std::optional<double> mass; // g/mol; nothing when vbar rho is 1
};

// M (1 - vbar rho) from sigma at rpm and temperature (C).
double BuoyantMassOf(double sigma, double rpm, double temperature);

// Whether a speed (rpm) and a temperature (C) from a header can be a run's:
// a speed of 0 or a temperature below absolute zero gives no mass.
bool UsableSpeed(double rpm);
bool UsableTemperature(double temperature);

// What a run keeps of each scan's fit.
struct FitSummary {
    int points = 0;
    std::optional<double> sigma;
    std::optional<double> rms;
    std::optional<double> buoyantMass;
    std::optional<double> mass;
};
FitSummary SummaryOf(const LnCFit &fit);

// The fit over `points` (by rising radius) within [lo, hi].
LnCFit FitLnC(
    const std::vector<RadialPoint> &points, double lo, double hi, const FitConstants &constants);

// The range of a scan's fit: the options' own, or its first to last good
// point trimmed at each end.
std::pair<double, double> FitRange(
    const std::vector<RadialPoint> &points, const RunOptions &options);

// A scan of a run: its good points over the range (the options' own, or
// its first to last good point trimmed at each end), the speed and
// temperature of its header.
LnCFit FitScan(const Scan &scan, const RunOptions &options);

// The apparent mass along the column: the same fit over a window of
// `window` points moved along them one point at a time, as (xi at the
// window's middle, mass). Empty without a fit.
std::vector<QPointF> ApparentMass(const LnCFit &fit, const FitConstants &constants, int window);

// The curvature of ln c against xi: a quadratic least-squares fit's term,
// as how many times its standard error it is, and how far it bows the line
// over the column (its change of ln c between the middle and the ends).
struct Curvature {
    double significance = 0.0; // |term| / its standard error
    double bow = 0.0; // term * (xi span)^2 / 4, signed: above 0 curves upward
};
std::optional<Curvature> CurvatureOf(const LnCFit &fit);

// The thresholds of the diagnostics.
constexpr int FewestGoodPoints = 50;
constexpr double SmallestSpan = 0.4; // of the readings fitted
constexpr double LowestTop = 0.6; // the highest reading should reach it
constexpr double ClearCurvature = 5.0; // times its standard error
constexpr double ClearBow = 0.01; // in ln c across the column

// What may make the fit unreliable, in words, each with its threshold; the
// ceiling is that of absorbance readings, checked when `absorbance`.
QStringList LnCDiagnostics(const LnCFit &fit, double ceiling, bool absorbance);
