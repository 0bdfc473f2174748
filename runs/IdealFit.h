// SPDX-License-Identifier: GPL-3.0-or-later
// One ideal species with a baseline: with xi = r^2/2, a scan's readings
// follow c = a exp(sigma (xi - xiref)) + b, sigma = Mb omega^2 / (R T), Mb
// = M (1 - vbar rho) the buoyant mass, a the reading at xiref (the mean xi
// of the scan's points) less b, the scan's own baseline offset. The fit is
// the unweighted least-squares optimum: of a, b and Mb over one scan, or
// over all the scans of a cell at once, each with its own a, b, omega and
// T and one Mb shared by all.
//
// How it is found: for a fixed Mb the model is linear in every a and b, so
// the sum of squares is a function of Mb alone once they are solved
// exactly. That function is searched over a grid wide enough for any
// column (from falling to steeply rising readings) and its minimum
// bracketed and refined; Levenberg-Marquardt in all the parameters, with
// analytic derivatives, then polishes the optimum, and a last Gauss-Newton
// step must be negligible for it to count as converged. The standard error
// of Mb is the square root of its diagonal element of s^2 (J^T J)^-1, J the
// Jacobian of the residuals in all the parameters, s^2 = SSR / (N - P).
#pragma once

#include "runs/GoodPoints.h"
#include "runs/LnCFit.h"

#include <QString>

#include <optional>
#include <vector>

constexpr int MinSpeciesPoints = 5; // of each scan

struct SpeciesOptions {
    bool baseline = true; // false: b = 0 for every scan
};

// Why there is no fit.
enum class SpeciesFailure {
    None,
    TooFewPoints, // a scan with fewer than 5 points
    NoSpeed, // a scan without a usable speed or temperature
    FlatData, // the readings show no gradient the mass can be told from
    NoConvergence, // no least-squares optimum was found
};

// "too few points", "no speed or temperature", "flat data", "no convergence";
// empty for None.
QString SpeciesFailureText(SpeciesFailure failure);

// One scan's points (by rising radius, those already chosen to be fitted)
// and the constants of its mass.
struct SpeciesScan {
    std::vector<RadialPoint> points;
    std::optional<double> rpm;
    std::optional<double> temperature; // C
};

// What the fit gives for one scan; every number finite.
struct SpeciesScanFit {
    int points = 0;
    double xiRef = 0.0; // cm^2
    double amplitude = 0.0; // a
    double baseline = 0.0; // b; 0 without the baseline
    double sigma = 0.0; // cm^-2, at this scan's speed and temperature
    double rms = 0.0; // of the residuals, in reading units
    std::vector<double> curve; // the model at each point
    std::vector<double> residuals; // each reading less the model
};

struct SpeciesFit {
    SpeciesFailure failure = SpeciesFailure::None;
    int failedScan = -1; // of FitCell: the scan (index) that has too few points or no speed
    int points = 0; // fitted, over every scan
    int scans = 0;
    double buoyantMass = 0.0; // g/mol
    double buoyantMassSe = 0.0;
    std::optional<double> mass; // g/mol; nothing when vbar rho is 1
    std::optional<double> massSe;
    double rms = 0.0; // of every residual
    std::vector<SpeciesScanFit> perScan; // in the order given

    bool fitted() const { return failure == SpeciesFailure::None; }
};

// The fit over one scan's `points` (by rising radius), with the speed,
// temperature, vbar and density of `constants`. Fewer than 5 points, or no
// usable speed or temperature: no fit, with the reason.
SpeciesFit FitSpecies(const std::vector<RadialPoint> &points, const FitConstants &constants,
    const SpeciesOptions &options = {});

// The global fit of the scans of one cell: one Mb, each scan its own a, b,
// speed and temperature. vbar and density give the mass. Any scan with
// fewer than 5 points or without a usable speed or temperature: no fit,
// with the reason and that scan. No scans: too few points.
SpeciesFit FitCell(const std::vector<SpeciesScan> &scans, double vbar, double density,
    const SpeciesOptions &options = {});

// A scan of a run as the fit takes it: its good points within the range
// (the options' own ends, or its first to last good point trimmed at each
// end), the speed and temperature of its header.
SpeciesScan SpeciesScanOf(const Scan &scan, const RunOptions &options);
