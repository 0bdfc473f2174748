// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/IdealFit.h"

#include <Eigen/Dense>
#include <unsupported/Eigen/LevenbergMarquardt>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{

// The shared parameter is s = Mb / MassScale, so that it is of order 1 for
// the masses of real samples, as the a and b are.
constexpr double MassScale = 1e4;
// The grid of u = sigma times the widest scan's xi span: 60 lets the
// readings change by e^60 across a column, far past anything measured.
constexpr double WidestExponent = 60.0;
// Exponents are held inside this while the optimiser tries its steps, so
// that a wild one gives a huge sum of squares, never an infinite one.
constexpr double LargestExponent = 300.0;
// Converged: the Gauss-Newton step left at the optimum changes Mb by less
// than ConvergedStep of itself; steps are taken while they are above
// StationaryStep.
constexpr double StationaryStep = 1e-11;
constexpr double ConvergedStep = 1e-8;
// Flat: Mb not told from 0 by more than this many standard errors.
constexpr double FlatSignificance = 2.0;

double boundedExp(double exponent)
{
    return std::exp(std::clamp(exponent, -LargestExponent, LargestExponent));
}

struct Part {
    std::vector<double> t; // xi - xiref of each point
    std::vector<double> c; // its reading
    std::vector<double> dc; // its reading less their mean
    double mc = 0.0; // the mean reading
    double scc = 0.0; // the sum of dc^2
    double squares = 0.0; // the sum of c^2
    double q = 0.0; // sigma per unit of s at this scan's speed and temperature
    double xiRef = 0.0;
    double span = 0.0; // of t
};

struct Problem {
    std::vector<Part> parts;
    bool baseline = true;
    int points = 0;
    int perScan() const { return baseline ? 2 : 1; }
    int parameters() const { return 1 + perScan() * int(parts.size()); }
};

struct Linear {
    double a = 0.0;
    double b = 0.0;
    double ssr = 0.0;
};

// The exact a and b of one scan for a fixed sigma. With the baseline the
// basis is 1 and (e^(sigma t) - 1) / sigma, which stays well conditioned
// as sigma goes to 0 (where it becomes t).
std::optional<Linear> solveLinear(const Part &part, double sigma, bool baseline)
{
    const size_t n = part.t.size();
    Linear linear;
    if (baseline) {
        // One pass over the readings less their mean: sum g, g^2, g dc.
        double sg = 0.0, sgg = 0.0, sgc = 0.0;
        for (size_t i = 0; i < n; ++i) {
            const double u = std::clamp(sigma * part.t[i], -LargestExponent, LargestExponent);
            const double g = sigma == 0.0 ? part.t[i] : std::expm1(u) / sigma;
            sg += g;
            sgg += g * g;
            sgc += g * part.dc[i];
        }
        sgg -= sg * sg / double(n);
        if (!(sgg > 0.0) || !std::isfinite(sgg))
            return std::nullopt;
        const double slope = sgc / sgg;
        const double intercept = part.mc - slope * sg / double(n);
        linear.ssr = std::max(0.0, part.scc - slope * sgc);
        // a e^(sigma t) + b = a sigma g + (a + b)
        linear.a = sigma == 0.0 ? 0.0 : slope / sigma;
        linear.b = intercept - linear.a;
    } else {
        double see = 0.0, sec = 0.0;
        for (size_t i = 0; i < n; ++i) {
            const double e = boundedExp(sigma * part.t[i]);
            see += e * e;
            sec += e * part.c[i];
        }
        if (!(see > 0.0) || !std::isfinite(see))
            return std::nullopt;
        linear.a = sec / see;
        linear.ssr = std::max(0.0, part.squares - linear.a * sec);
    }
    if (!std::isfinite(linear.ssr))
        return std::nullopt;
    return linear;
}

// The sum of squares with every a and b solved exactly, as a function of s.
std::optional<double> profile(const Problem &problem, double s)
{
    double ssr = 0.0;
    for (const Part &part : problem.parts) {
        const std::optional<Linear> linear = solveLinear(part, part.q * s, problem.baseline);
        if (!linear)
            return std::nullopt;
        ssr += linear->ssr;
    }
    return ssr;
}

// Brent's minimisation of f over [lo, hi], which holds a point below both
// ends' values.
template <typename F> double brentMinimum(F f, double lo, double hi, double tolerance)
{
    constexpr double golden = 0.3819660112501051;
    double x = lo + golden * (hi - lo), w = x, v = x;
    double fx = f(x), fw = fx, fv = fx;
    double d = 0.0, e = 0.0;
    for (int iteration = 0; iteration < 200; ++iteration) {
        const double middle = 0.5 * (lo + hi);
        const double tol1 = tolerance * std::fabs(x) + 1e-14;
        const double tol2 = 2.0 * tol1;
        if (std::fabs(x - middle) <= tol2 - 0.5 * (hi - lo))
            break;
        bool parabolic = false;
        if (std::fabs(e) > tol1) {
            const double r = (x - w) * (fx - fv);
            double q = (x - v) * (fx - fw);
            double p = (x - v) * q - (x - w) * r;
            q = 2.0 * (q - r);
            if (q > 0.0)
                p = -p;
            q = std::fabs(q);
            if (std::fabs(p) < std::fabs(0.5 * q * e) && p > q * (lo - x) && p < q * (hi - x)) {
                e = d;
                d = p / q;
                const double u = x + d;
                if (u - lo < tol2 || hi - u < tol2)
                    d = middle > x ? tol1 : -tol1;
                parabolic = true;
            }
        }
        if (!parabolic) {
            e = x >= middle ? lo - x : hi - x;
            d = golden * e;
        }
        const double u = std::fabs(d) >= tol1 ? x + d : x + (d > 0.0 ? tol1 : -tol1);
        const double fu = f(u);
        if (fu <= fx) {
            (u >= x ? lo : hi) = x;
            v = w;
            fv = fw;
            w = x;
            fw = fx;
            x = u;
            fx = fu;
        } else {
            (u < x ? lo : hi) = u;
            if (fu <= fw || w == x) {
                v = w;
                fv = fw;
                w = u;
                fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u;
                fv = fu;
            }
        }
    }
    return x;
}

// The residuals (model less reading) and their Jacobian in x = (s, a1, b1,
// a2, b2, ...), or (s, a1, a2, ...) without the baseline.
struct Residuals : Eigen::DenseFunctor<double> {
    const Problem &problem;

    explicit Residuals(const Problem &p)
        : Eigen::DenseFunctor<double>(p.parameters(), p.points)
        , problem(p)
    {
    }

    int operator()(const Eigen::VectorXd &x, Eigen::VectorXd &f) const
    {
        Eigen::Index row = 0;
        for (size_t k = 0; k < problem.parts.size(); ++k) {
            const Part &part = problem.parts[k];
            const Eigen::Index at = 1 + Eigen::Index(k) * problem.perScan();
            const double sigma = part.q * x[0];
            const double b = problem.baseline ? x[at + 1] : 0.0;
            for (size_t i = 0; i < part.t.size(); ++i)
                f[row++] = x[at] * boundedExp(sigma * part.t[i]) + b - part.c[i];
        }
        return 0;
    }

    int df(const Eigen::VectorXd &x, Eigen::MatrixXd &j) const
    {
        j.setZero();
        Eigen::Index row = 0;
        for (size_t k = 0; k < problem.parts.size(); ++k) {
            const Part &part = problem.parts[k];
            const Eigen::Index at = 1 + Eigen::Index(k) * problem.perScan();
            const double sigma = part.q * x[0];
            for (size_t i = 0; i < part.t.size(); ++i, ++row) {
                const double e = boundedExp(sigma * part.t[i]);
                j(row, 0) = x[at] * part.q * part.t[i] * e;
                j(row, at) = e;
                if (problem.baseline)
                    j(row, at + 1) = 1.0;
            }
        }
        return 0;
    }
};

// x from s with every a and b solved exactly.
std::optional<Eigen::VectorXd> linearStart(const Problem &problem, double s)
{
    Eigen::VectorXd x(problem.parameters());
    x[0] = s;
    for (size_t k = 0; k < problem.parts.size(); ++k) {
        const Part &part = problem.parts[k];
        const std::optional<Linear> linear = solveLinear(part, part.q * s, problem.baseline);
        if (!linear || !std::isfinite(linear->a) || !std::isfinite(linear->b))
            return std::nullopt;
        const Eigen::Index at = 1 + Eigen::Index(k) * problem.perScan();
        x[at] = linear->a;
        if (problem.baseline)
            x[at + 1] = linear->b;
    }
    return x;
}

// The residuals at x, the Gauss-Newton step from there and the diagonal
// element of (J^T J)^-1 for s; not usable when the parameters cannot be
// told apart (a Jacobian of deficient rank).
struct Linearised {
    Eigen::VectorXd r;
    double ssr = HUGE_VAL;
    bool finite = false;
    bool usable = false;
    Eigen::VectorXd step;
    double variance = 0.0; // of s, before s^2
};

Linearised linearise(const Residuals &residuals, const Eigen::VectorXd &x)
{
    const Eigen::Index n = residuals.values();
    const Eigen::Index p = residuals.inputs();
    Linearised at;
    at.r.resize(n);
    residuals(x, at.r);
    Eigen::MatrixXd j(n, p);
    residuals.df(x, j);
    at.finite = at.r.allFinite() && j.allFinite();
    if (!at.finite)
        return at;
    at.ssr = at.r.squaredNorm();
    // The columns scaled to unit length, so that the singular values say
    // whether the parameters can be told apart at all.
    const Eigen::VectorXd norms = j.colwise().norm().transpose();
    if (!(norms.minCoeff() > 0.0))
        return at;
    const Eigen::VectorXd scale = norms.cwiseInverse();
    const Eigen::JacobiSVD<Eigen::MatrixXd> svd(
        j * scale.asDiagonal(), Eigen::ComputeThinU | Eigen::ComputeThinV);
    const Eigen::VectorXd &singular = svd.singularValues();
    if (!(singular[p - 1] > 1e-10 * singular[0]))
        return at;
    at.usable = true;
    at.step = -(scale.asDiagonal() * svd.solve(at.r)).eval();
    for (Eigen::Index k = 0; k < p; ++k) {
        const double v = scale[0] * svd.matrixV()(0, k) / singular[k];
        at.variance += v * v;
    }
    return at;
}

SpeciesFit failed(SpeciesFailure failure, int scan = -1)
{
    SpeciesFit fit;
    fit.failure = failure;
    fit.failedScan = scan;
    return fit;
}

// The u of the grid: 0, then steps that grow by a tenth, out to +-60.
const std::vector<double> &exponentGrid()
{
    static const std::vector<double> grid = [] {
        std::vector<double> positive;
        for (double u = 0.2; u < WidestExponent; u += 0.2 + 0.1 * u)
            positive.push_back(u);
        positive.push_back(WidestExponent);
        std::vector<double> all;
        for (auto it = positive.rbegin(); it != positive.rend(); ++it)
            all.push_back(-*it);
        all.push_back(0.0);
        all.insert(all.end(), positive.begin(), positive.end());
        return all;
    }();
    return grid;
}

SpeciesFit solve(const Problem &problem, double vbar, double density)
{
    // The search in s alone over the grid, then Brent's within the best
    // grid point's neighbours.
    double widest = 0.0;
    for (const Part &part : problem.parts)
        widest = std::max(widest, std::fabs(part.q) * part.span);
    if (!(widest > 0.0) || !std::isfinite(widest))
        return failed(SpeciesFailure::FlatData);
    bool constant = true;
    for (const Part &part : problem.parts) {
        const auto [low, high] = std::minmax_element(part.c.begin(), part.c.end());
        constant = constant && *low == *high;
    }
    if (constant)
        return failed(SpeciesFailure::FlatData);
    const std::vector<double> &grid = exponentGrid();
    size_t best = 0;
    double lowest = HUGE_VAL, highest = 0.0;
    for (size_t j = 0; j < grid.size(); ++j) {
        const std::optional<double> ssr = profile(problem, grid[j] / widest);
        if (!ssr)
            continue;
        if (*ssr < lowest) {
            lowest = *ssr;
            best = j;
        }
        highest = std::max(highest, *ssr);
    }
    if (!std::isfinite(lowest))
        return failed(SpeciesFailure::NoConvergence);
    // Readings that every exponential fits alike carry no mass.
    if (!(highest - lowest > 1e-12 * highest))
        return failed(SpeciesFailure::FlatData);
    // A minimum at the grid's end is a spike on the outermost points: the
    // readings have no exponential gradient.
    if (best == 0 || best + 1 == grid.size())
        return failed(SpeciesFailure::FlatData);
    const auto f = [&](double u) { return profile(problem, u / widest).value_or(HUGE_VAL); };
    const double u = brentMinimum(f, grid[best - 1], grid[best + 1], 1e-12);
    std::optional<Eigen::VectorXd> start = linearStart(problem, u / widest);
    if (!start)
        return failed(SpeciesFailure::FlatData);

    Residuals residuals(problem);
    Eigen::LevenbergMarquardt<Residuals> lm(residuals);
    lm.setXtol(1e-12);
    lm.setFtol(1e-14);
    lm.setMaxfev(400);
    Eigen::VectorXd x = *start;
    const Eigen::LevenbergMarquardtSpace::Status status = lm.minimize(x);
    if (status == Eigen::LevenbergMarquardtSpace::ImproperInputParameters
        || status == Eigen::LevenbergMarquardtSpace::UserAsked || !x.allFinite())
        x = *start;

    const Eigen::Index n = problem.points;
    const Eigen::Index p = problem.parameters();
    Eigen::VectorXd startResiduals(n);
    residuals(*start, startResiduals);
    Linearised at = linearise(residuals, x);
    if (!(at.ssr <= startResiduals.squaredNorm())) {
        x = *start;
        at = linearise(residuals, x);
    }
    // Gauss-Newton steps where the optimiser stopped short of the last
    // digits, as long as they do not raise the sum of squares.
    for (int polish = 0;
         polish < 10 && at.usable && !(std::fabs(at.step[0]) <= StationaryStep * std::fabs(x[0]));
         ++polish) {
        const Eigen::VectorXd next = x + at.step;
        const Linearised there = linearise(residuals, next);
        if (!(there.ssr <= at.ssr))
            break;
        x = next;
        at = there;
    }
    if (!at.finite)
        return failed(SpeciesFailure::NoConvergence);
    if (!at.usable)
        return failed(SpeciesFailure::FlatData);
    const Eigen::VectorXd &r = at.r;
    const double ssr = at.ssr;
    const double variance = at.variance * ssr / double(n - p);
    // A mass its own error cannot tell from 0, converged or not, is none.
    if (!(std::fabs(x[0]) > FlatSignificance * std::sqrt(variance)))
        return failed(SpeciesFailure::FlatData);
    if (!(std::fabs(at.step[0]) <= ConvergedStep * std::fabs(x[0])))
        return failed(SpeciesFailure::NoConvergence);

    SpeciesFit fit;
    fit.scans = int(problem.parts.size());
    fit.points = int(n);
    fit.buoyantMass = x[0] * MassScale;
    fit.buoyantMassSe = std::sqrt(variance) * MassScale;
    fit.rms = std::sqrt(ssr / double(n));
    if (!std::isfinite(fit.buoyantMass) || !std::isfinite(fit.buoyantMassSe))
        return failed(SpeciesFailure::NoConvergence);
    const double buoyancy = 1.0 - vbar * density;
    if (buoyancy != 0.0) {
        fit.mass = fit.buoyantMass / buoyancy;
        fit.massSe = fit.buoyantMassSe / std::fabs(buoyancy);
    }
    Eigen::Index row = 0;
    for (size_t k = 0; k < problem.parts.size(); ++k) {
        const Part &part = problem.parts[k];
        const Eigen::Index at = 1 + Eigen::Index(k) * problem.perScan();
        SpeciesScanFit scan;
        scan.points = int(part.t.size());
        scan.xiRef = part.xiRef;
        scan.amplitude = x[at];
        scan.baseline = problem.baseline ? x[at + 1] : 0.0;
        scan.sigma = part.q * x[0];
        double squares = 0.0;
        for (size_t i = 0; i < part.t.size(); ++i, ++row) {
            scan.residuals.push_back(-r[row]);
            scan.curve.push_back(part.c[i] + r[row]);
            squares += r[row] * r[row];
        }
        scan.rms = std::sqrt(squares / double(scan.points));
        fit.perScan.push_back(std::move(scan));
    }
    return fit;
}

} // namespace

QString SpeciesFailureText(SpeciesFailure failure)
{
    switch (failure) {
    case SpeciesFailure::None:
        break;
    case SpeciesFailure::TooFewPoints:
        return QStringLiteral("too few points");
    case SpeciesFailure::NoSpeed:
        return QStringLiteral("no speed or temperature");
    case SpeciesFailure::FlatData:
        return QStringLiteral("flat data");
    case SpeciesFailure::NoConvergence:
        return QStringLiteral("no convergence");
    }
    return {};
}

SpeciesFit FitCell(const std::vector<SpeciesScan> &scans, double vbar, double density,
    const SpeciesOptions &options)
{
    if (scans.empty())
        return failed(SpeciesFailure::TooFewPoints);
    Problem problem;
    problem.baseline = options.baseline;
    for (size_t k = 0; k < scans.size(); ++k) {
        const SpeciesScan &scan = scans[k];
        if (scan.points.size() < size_t(MinSpeciesPoints))
            return failed(SpeciesFailure::TooFewPoints, int(k));
        if (!scan.rpm || !scan.temperature || !UsableSpeed(*scan.rpm)
            || !UsableTemperature(*scan.temperature))
            return failed(SpeciesFailure::NoSpeed, int(k));
        Part part;
        const double omega = 2.0 * std::numbers::pi * *scan.rpm / 60.0;
        part.q = MassScale * omega * omega / (GasConstant * (*scan.temperature + ZeroCelsius));
        double mean = 0.0;
        for (const RadialPoint &point : scan.points)
            mean += point.x * point.x / 2.0;
        part.xiRef = mean / double(scan.points.size());
        double lowest = HUGE_VAL, highest = -HUGE_VAL;
        for (const RadialPoint &point : scan.points) {
            const double t = point.x * point.x / 2.0 - part.xiRef;
            part.t.push_back(t);
            part.c.push_back(point.c);
            lowest = std::min(lowest, t);
            highest = std::max(highest, t);
        }
        part.span = highest - lowest;
        for (double c : part.c)
            part.mc += c;
        part.mc /= double(part.c.size());
        for (double c : part.c) {
            part.dc.push_back(c - part.mc);
            part.scc += (c - part.mc) * (c - part.mc);
            part.squares += c * c;
        }
        problem.points += int(part.t.size());
        problem.parts.push_back(std::move(part));
    }
    return solve(problem, vbar, density);
}

SpeciesFit FitSpecies(const std::vector<RadialPoint> &points, const FitConstants &constants,
    const SpeciesOptions &options)
{
    return FitCell({ SpeciesScan { points, constants.rpm, constants.temperature } }, constants.vbar,
        constants.density, options);
}

SpeciesScan SpeciesScanOf(const Scan &scan, const RunOptions &options)
{
    SpeciesScan chosen;
    const std::vector<RadialPoint> good = GoodPoints(scan, options.ceiling);
    const auto [lo, hi] = FitRange(good, options);
    for (const RadialPoint &p : good) {
        if (p.x >= lo && p.x <= hi)
            chosen.points.push_back(p);
    }
    if (scan.header) {
        chosen.rpm = scan.header->speed;
        chosen.temperature = scan.header->temperature;
    }
    return chosen;
}
