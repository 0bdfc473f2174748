// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RunGenerator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <random>

namespace
{

constexpr double GasConstant = 8.314462618e7; // erg/(mol K)
constexpr double Kelvin = 273.15;
constexpr double Saturation = 3.2; // readings above it come out as 4.0
constexpr double extinctions[] = { 1.0, 0.7, 1.6, 1.2, 0.9 };

const char *const descriptions[] = { "0.6uM DNA", ".3uM DNA + .3uM protein",
    "cm/pixel:  0.00069667737, Sample", "Protein A, 0.5 OD \"fresh\"", "12 kDa domain in PBS" };

// "3.12340E-01" with `digits` exponent digits.
QByteArray scientific(double value, int digits)
{
    int exponent = 0;
    double mantissa = 0.0;
    if (value != 0.0) {
        exponent = int(std::floor(std::log10(std::fabs(value))));
        mantissa = value / std::pow(10.0, exponent);
        if (std::fabs(std::round(mantissa * 1e5) / 1e5) >= 10.0) {
            mantissa /= 10.0;
            ++exponent;
        }
    }
    char text[48];
    std::snprintf(text, sizeof text, "%.5fE%c%0*d", mantissa, exponent < 0 ? '-' : '+', digits,
        std::abs(exponent));
    return text;
}

struct Profile {
    const RunPlan &plan;
    const SampleColumn &column;
    double loading;

    double sigma(int step) const
    {
        return SigmaOf(plan.buoyantMass, plan.speeds[size_t(step)].rpm, plan.temperature);
    }

    double equilibrium(int step, double r) const
    {
        const double s = sigma(step);
        const double xm = column.meniscus * column.meniscus / 2.0;
        const double span = column.bottom * column.bottom / 2.0 - xm;
        const double a = loading * s * span / std::expm1(s * span);
        return a * std::exp(s * (r * r / 2.0 - xm));
    }

    // The reading at radius r, `hours` after the speed of `step` was set;
    // `starts` holds when each step began and `ends` when it was left.
    double at(int step, double r, double hours, const std::vector<double> &starts) const
    {
        const double before = step == 0
            ? loading
            : at(step - 1, r, starts[size_t(step)] - starts[size_t(step - 1)], starts);
        const double relax = std::exp(-hours / plan.speeds[size_t(step)].tauHours);
        return equilibrium(step, r) + (before - equilibrium(step, r)) * relax;
    }
};

} // namespace

double SigmaOf(double buoyantMass, int rpm, double temperature)
{
    const double omega = 2.0 * std::numbers::pi * rpm / 60.0;
    return buoyantMass * omega * omega / (GasConstant * (temperature + Kelvin));
}

RunPlan SixChannelPlan()
{
    RunPlan plan;
    plan.cells = { 1 };
    plan.speeds = { { 16000, 9, 10.0 }, { 20000, 9, 8.0 }, { 24000, 9, 6.0 } };
    plan.columns = { { 5.80, 6.12 }, { 6.35, 6.65 }, { 6.87, 7.20 } };
    plan.columnShiftPerSpeed = 0.004;
    plan.buoyantMass = 8000.0;
    plan.loading = 0.3;
    plan.step = 0.003;
    return plan;
}

RunPlan VelocityRunPlan()
{
    RunPlan plan;
    plan.cells = { 1 };
    plan.speeds = { { 40000, 40, 1.0 } };
    plan.columns = { { 6.00, 7.20 } };
    plan.interference = true;
    plan.realArtifacts = true;
    plan.loading = 3.0;
    plan.noise = 0.01;
    plan.velocity = VelocityPlan { 6.5, 5e-7, 3.0 };
    return plan;
}

RunPlan PublicRunPlan()
{
    RunPlan plan;
    plan.cells = { 1, 2, 3, 4, 5, 6, 7 };
    plan.speeds = { { 16000, 36, 14.0 }, { 24000, 27, 10.0 }, { 30000, 27, 8.0 } };
    return plan;
}

std::vector<SampleColumn> ColumnsAt(const RunPlan &plan, int speedIndex)
{
    std::vector<SampleColumn> columns = plan.columns;
    for (SampleColumn &column : columns) {
        column.meniscus += plan.columnShiftPerSpeed * speedIndex;
        column.bottom += plan.columnShiftPerSpeed * speedIndex;
    }
    return columns;
}

namespace
{

enum class BaseLook { SpikeThenSaturated, RiseThenSaturated, SpikeThenWild, RiseThenWild };

// How one column of one cell looks, drawn once from the seed; each scan
// varies the heights a little.
struct ColumnLook {
    double referenceHeight = 0.0;
    double sampleHeight = 0.0;
    double referenceWidth = 0.0; // cm
    double sampleWidth = 0.0;
    double apart = 0.0; // between the two spikes' centres
    double between = 0.0; // the reading between the menisci, from the offset
    double airLength = 0.0; // of the air inside the reference's spike
    bool wildAir = false; // interference: wild readings in air, not noise
    BaseLook base = BaseLook::SpikeThenSaturated;
    double baseWidth = 0.0;
    double baseHeight = 0.0;
    bool flat = false; // spikes of one height throughout
};

double between(std::mt19937 &random, double from, double to)
{
    return std::uniform_real_distribution<double>(from, to)(random);
}

ColumnLook drawLook(const RunPlan &plan, std::mt19937 &random)
{
    const auto height = [&](double typical, double most) {
        const double size = std::clamp(std::fabs(typical) * between(random, 0.6, 1.6), 0.4, most);
        const bool turned = between(random, 0.0, 1.0) < 0.25;
        return (typical < 0.0) != turned ? -size : size;
    };
    // A spike of a few points, however far apart the points are.
    const double least = 2.0 * (plan.interference ? 0.0007 : plan.step);
    ColumnLook look;
    look.referenceHeight = height(plan.innerSpike, 2.2);
    look.sampleHeight = plan.interference ? height(4.0, 8.0) : height(plan.outerSpike, 2.2);
    look.referenceWidth = std::max(least, between(random, 0.003, 0.008));
    look.sampleWidth = std::max(least, between(random, 0.003, 0.008));
    look.apart = between(random, 0.02, 0.05);
    look.between = -between(random, 0.0, 0.05);
    look.airLength = between(random, 0.03, 0.07);
    look.wildAir = between(random, 0.0, 1.0) < 0.5;
    look.base = BaseLook(std::uniform_int_distribution<int>(0, 3)(random));
    look.baseWidth = std::max(least, between(random, 0.004, 0.01));
    look.baseHeight = between(random, 1.0, 3.0);
    return look;
}

// Both spikes 0.006 cm wide and side by side, no air of the next channel
// in the septa, saturation right from the bottom: the look of a simple plan.
ColumnLook simpleLook(const RunPlan &plan)
{
    ColumnLook look;
    look.referenceHeight = plan.innerSpike;
    look.sampleHeight = plan.outerSpike;
    look.referenceWidth = 0.006;
    look.sampleWidth = 0.006;
    look.apart = 0.006;
    look.baseWidth = 0.006;
    look.baseHeight = 4.0;
    look.flat = true;
    return look;
}

// Where the parts of one column lie in a scan (cm).
struct ColumnPlace {
    SampleColumn column;
    ColumnLook look;
    double sampleFrom() const { return column.meniscus - look.sampleWidth; }
    double referenceTo() const
    {
        return column.meniscus - look.sampleWidth / 2.0 - look.apart + look.referenceWidth / 2.0;
    }
    double referenceFrom() const { return referenceTo() - look.referenceWidth; }
    double airFrom() const { return referenceFrom() - look.airLength; }
    double baseTo() const { return column.bottom + look.baseWidth; }
};

// A spike over (from, to]: high in its middle, still well clear at its edges.
double spike(double x, double from, double to, double height, bool flat)
{
    if (flat)
        return height;
    const double t = (2.0 * x - from - to) / (to - from);
    return height * (0.55 + 0.45 * (1.0 - t * t));
}

// One species sedimenting at speed: the plateau thins by radial dilution,
// the boundary leaves the meniscus and spreads.
double velocityReading(const VelocityPlan &velocity, double loading, double meniscus, double omega,
    double omega2t, double r)
{
    const double s = velocity.sedimentation * 1e-13;
    const double t = omega2t / (omega * omega);
    const double boundary = meniscus * std::exp(s * omega2t);
    const double spread = 2.0 * std::sqrt(velocity.diffusion * std::max(t, 1.0));
    return loading * std::exp(-2.0 * s * omega2t) * 0.5 * std::erfc((boundary - r) / spread);
}

} // namespace

GeneratedRun GenerateRun(const RunPlan &plan)
{
    GeneratedRun run;
    std::mt19937 random(plan.seed);
    // The artifacts draw from a stream of their own, so the solution's
    // readings of a plan stay as they were before the artifacts were drawn.
    std::mt19937 artifacts(plan.seed * 2654435761u + 12345u);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const bool fringes = plan.interference;
    const std::vector<double> wavelengthsOfPlan
        = fringes ? std::vector<double> { 660.0 } : plan.wavelengths;
    const int wavelengths = int(wavelengthsOfPlan.size());
    const std::vector<SpeedStep> speeds
        = plan.velocity ? std::vector<SpeedStep> { plan.speeds.front() } : plan.speeds;
    const double step = fringes ? 0.0007 : plan.step;
    const bool even = fringes || plan.evenSteps;
    const bool real = plan.realArtifacts || fringes;

    // When each speed begins, in hours, for a cell scanned first.
    std::vector<double> starts;
    double hours = 0.5;
    for (const SpeedStep &speed : speeds) {
        starts.push_back(hours - plan.hoursBetweenScans);
        hours += speed.scans * plan.hoursBetweenScans;
    }

    for (size_t ci = 0; ci < plan.cells.size(); ++ci) {
        const int cell = plan.cells[ci];
        std::vector<ColumnLook> looks;
        for (size_t k = 0; k < plan.columns.size(); ++k)
            looks.push_back(real ? drawLook(plan, artifacts) : simpleLook(plan));
        run.otherFiles.emplace_back(QStringLiteral("CELL%1ABS.LOG").arg(cell),
            QByteArray("Scan log of cell ") + QByteArray::number(cell) + "\r\n1 2 3 4 5\r\n");
        int number = 0;
        double omega2t = 0.0;
        double lastHours = 0.0;
        // A velocity run's first scan some minutes after the rotor reached
        // its speed, which took about a minute.
        double velocitySeconds = between(artifacts, 300.0, 900.0) + 60.0 * double(ci);
        if (plan.velocity)
            lastHours = 60.0 / 3600.0;
        for (int s = 0; s < int(speeds.size()); ++s) {
            const SpeedStep &speedStep = speeds[size_t(s)];
            const std::vector<SampleColumn> columns = ColumnsAt(plan, s);
            const double omega = 2.0 * std::numbers::pi * speedStep.rpm / 60.0;
            for (int k = 0; k < speedStep.scans; ++k) {
                ++number;
                const int w = k % wavelengths;
                const double nominal = wavelengthsOfPlan[size_t(w)];
                double at
                    = starts[size_t(s)] + (k + 1) * plan.hoursBetweenScans + double(ci) / 12.0;
                if (plan.velocity) {
                    if (k > 0)
                        velocitySeconds += plan.velocity->minutesBetweenScans * 60.0
                            * between(artifacts, 0.9, 1.1);
                    at = velocitySeconds / 3600.0;
                }
                omega2t += omega * omega * (at - lastHours) * 3600.0;
                lastHours = at;
                GeneratedScan scan;
                scan.speedIndex = s;
                scan.wavelength = nominal;
                scan.indexInSetting = k / wavelengths;
                scan.offset = plan.offsetSpread * gauss(random);
                if (fringes)
                    scan.offset = plan.fringeOffset * between(artifacts, -1.0, 1.0);
                scan.columns = columns;
                const bool variant = plan.variants;
                const int v = number + int(ci);
                const char type = fringes ? 'P' : 'R';

                scan.header.type = type;
                scan.header.cell = cell;
                scan.header.temperature = plan.temperature;
                scan.header.speed = speedStep.rpm;
                scan.header.time = std::llround(at * 3600.0);
                scan.header.wavelength = nominal + (variant && !fringes && v % 3 == 1 ? 1.0 : 0.0);
                scan.header.count = 20;
                char omegaText[32];
                std::snprintf(omegaText, sizeof omegaText, "%.4E", omega2t);
                QByteArray omegaField(omegaText);
                if (variant && v % 2 == 0)
                    omegaField.replace("E+", "E"); // "8.0640E10", as some files have it
                scan.header.omega2t = omegaField.replace('E', 'e').toDouble();
                omegaField.replace('e', 'E');
                char speedText[16];
                if (variant && v % 4 == 1)
                    std::snprintf(speedText, sizeof speedText, "%05d", speedStep.rpm);
                else if (variant && v % 4 == 2)
                    std::snprintf(speedText, sizeof speedText, "%5d", speedStep.rpm);
                else
                    std::snprintf(speedText, sizeof speedText, "%d", speedStep.rpm);
                char headerText[160];
                std::snprintf(headerText, sizeof headerText, "%c %d %04.1f %s %07lld %s %d %d%s",
                    type, cell, plan.temperature, speedText,
                    static_cast<long long>(scan.header.time), omegaField.constData(),
                    int(scan.header.wavelength), scan.header.count,
                    variant && v % 5 == 3 ? " " : "");
                scan.header.temperature = QByteArray(headerText).split(' ')[2].toDouble();

                scan.description = variant
                    ? QByteArray(descriptions[v % 5])
                    : QByteArray("Generated scan of cell ") + QByteArray::number(cell);
                const QByteArray end = variant && v % 2 == 1 ? "\r\n" : "\n";
                const int digits = variant ? 2 + v % 3 : 2;
                QByteArray bytes = scan.description + end + headerText + end;

                std::vector<ColumnPlace> places;
                for (size_t c = 0; c < columns.size(); ++c)
                    places.push_back({ columns[c], looks[c] });
                for (ColumnPlace &place : places) {
                    if (!real)
                        break;
                    const double jitter = between(artifacts, 0.9, 1.1);
                    place.look.referenceHeight *= jitter;
                    place.look.sampleHeight *= jitter;
                    place.look.baseHeight *= between(artifacts, 0.9, 1.1);
                }
                const ColumnPlace &first = places.front();
                const ColumnPlace &last = places.back();
                const double nextStep = step * (0.4 + 1.2 * 0.5);

                // The radii past the old start (first meniscus - 0.06) come
                // from the main stream, as before; the air inside it from the
                // artifacts' stream.
                std::vector<double> radii;
                double r = first.column.meniscus - 0.06;
                while (r < last.column.bottom + (plan.placeHolders ? 0.04 : 0.0)) {
                    radii.push_back(std::round(r * 1e4) / 1e4);
                    r += even ? step : step * (0.4 + 1.2 * uniform(random));
                }
                std::vector<double> inner;
                for (r = first.column.meniscus - 0.06 - (even ? step : nextStep);
                     r > first.airFrom(); r -= even ? step : step * between(artifacts, 0.4, 1.6))
                    inner.push_back(std::round(r * 1e4) / 1e4);
                radii.insert(radii.begin(), inner.rbegin(), inner.rend());

                const double ext = fringes ? 1.0 : extinctions[w % 5];
                const auto solutionAt = [&](const SampleColumn &column, double x) {
                    return plan.velocity ? velocityReading(*plan.velocity, plan.loading * ext,
                               column.meniscus, omega, scan.header.omega2t, x)
                                         : Profile { plan, column, plan.loading * ext }.at(
                                             s, x, at - starts[size_t(s)], starts);
                };
                std::vector<std::pair<double, double>> rows; // reading, deviation
                std::vector<bool> solutionRow;
                for (size_t i = 0; i < radii.size(); ++i) {
                    const double x = radii[i];
                    const bool old = i >= inner.size();
                    const double noise = old ? gauss(random) : gauss(artifacts);
                    double deviation
                        = 0.002 + 0.004 * (old ? uniform(random) : between(artifacts, 0.0, 1.0));
                    double reading = scan.offset + plan.noise * noise;
                    double truth = std::numeric_limits<double>::quiet_NaN();
                    const auto wild = [&] {
                        reading = fringes ? scan.offset + between(artifacts, -6.0, 6.0)
                                          : between(artifacts, -0.5, 3.8);
                        deviation = between(artifacts, 0.02, 0.5);
                    };
                    const auto saturated = [&] {
                        reading = 4.0;
                        deviation = 0.0;
                    };
                    const auto air = [&](const ColumnLook &look) {
                        if (fringes && look.wildAir)
                            wild();
                        else
                            reading += plan.noise * 2.0 * gauss(artifacts);
                    };
                    for (size_t c = 0; c < places.size(); ++c) {
                        const ColumnPlace &place = places[c];
                        const ColumnLook &look = place.look;
                        const SampleColumn &column = place.column;
                        if (x <= column.meniscus) {
                            if (c > 0 && x <= place.airFrom()) {
                                // A septum: wild and saturated readings.
                                if (fringes || between(artifacts, 0.0, 1.0) < 0.5)
                                    wild();
                                else
                                    saturated();
                            } else if (x > place.sampleFrom()) {
                                // On the solution's reading, as the meniscus bends the light.
                                reading += (look.flat ? 0.0 : solutionAt(column, column.meniscus))
                                    + spike(x, place.sampleFrom(), column.meniscus,
                                        look.sampleHeight, look.flat);
                            } else if (fringes || x <= place.referenceFrom()) {
                                air(look);
                            } else if (x <= place.referenceTo()) {
                                reading += spike(x, place.referenceFrom(), place.referenceTo(),
                                    look.referenceHeight, look.flat);
                            } else {
                                reading += look.between;
                            }
                            break;
                        }
                        if (x < column.bottom) {
                            const double value = solutionAt(column, x);
                            reading += value;
                            truth = scan.offset + value;
                            if (plan.outlierInSetting
                                && scan.indexInSetting == *plan.outlierInSetting) {
                                const double change = plan.outlierChange * (x - column.meniscus)
                                    / (column.bottom - column.meniscus);
                                reading += change;
                                truth += change;
                            }
                            if (plan.saturatedBottom && !fringes && truth > plan.saturatesAt) {
                                truth = std::numeric_limits<double>::quiet_NaN();
                                if (between(artifacts, 0.0, 1.0) < 0.4) {
                                    saturated();
                                } else {
                                    reading = between(artifacts, 3.0, 4.0);
                                    deviation = between(artifacts, 0.05, 0.5);
                                }
                            }
                            break;
                        }
                        if (x < place.baseTo()) {
                            const bool rises = look.base == BaseLook::RiseThenSaturated
                                || look.base == BaseLook::RiseThenWild;
                            // Both on the solution's reading at the bottom.
                            const double edge = look.flat ? 0.0 : solutionAt(column, column.bottom);
                            if (rises && !fringes) {
                                reading += std::max(edge, 0.0) + 0.3
                                    + 3.5 * (x - column.bottom) / look.baseWidth;
                            } else {
                                reading += edge
                                    + spike(x, column.bottom - 1e-9, place.baseTo(),
                                        fringes ? 3.0 * look.baseHeight : look.baseHeight,
                                        look.flat);
                            }
                            break;
                        }
                        if (c + 1 == places.size()) {
                            if (fringes || look.base == BaseLook::SpikeThenWild
                                || look.base == BaseLook::RiseThenWild)
                                wild();
                            else
                                saturated();
                        }
                    }
                    if (!fringes && reading > Saturation)
                        saturated();
                    if (!fringes && !std::isnan(truth) && deviation == 0.0)
                        truth = std::numeric_limits<double>::quiet_NaN();
                    rows.emplace_back(reading, deviation);
                    scan.solution.push_back(truth);
                }
                if (plan.placeHolders && !fringes) {
                    std::vector<size_t> inside;
                    for (size_t i = 0; i < rows.size(); ++i) {
                        if (!std::isnan(scan.solution[i]))
                            inside.push_back(i);
                    }
                    for (int p = 0; p < 2 && inside.size() > 40; ++p) {
                        const size_t at
                            = inside[size_t(20 + (v * 37 + p * 101) % int(inside.size() - 40))];
                        rows[at] = { 1.0, 0.0 };
                        scan.solution[at] = std::numeric_limits<double>::quiet_NaN();
                    }
                }
                for (size_t i = 0; i < radii.size(); ++i) {
                    char x[16];
                    std::snprintf(x, sizeof x, "%.4f", radii[i]);
                    bytes += x;
                    bytes += ' ';
                    bytes += scientific(rows[i].first, digits);
                    if (!fringes) {
                        bytes += ' ';
                        bytes += scientific(rows[i].second, digits);
                    }
                    if (i + 1 < radii.size() || !variant || v % 5 != 4)
                        bytes += end;
                }
                scan.points = int(radii.size());
                scan.bytes = bytes;
                char name[32];
                const bool lower = variant && v % 7 == 3;
                std::snprintf(name, sizeof name,
                    fringes ? (lower ? "%05d.ip%d" : "%05d.IP%d")
                            : (lower ? "%05d.ra%d" : "%05d.RA%d"),
                    number, cell);
                scan.relativePath = QString::fromLatin1(name);
                run.scans.push_back(std::move(scan));
            }
        }
    }
    run.otherFiles.emplace_back(QStringLiteral("notes.txt"), QByteArray("Run notes\n"));
    return run;
}

QByteArray ColumnsCsv(const GeneratedRun &run)
{
    QByteArray csv = "file,cell,column,speed_rpm,meniscus_cm,bottom_cm\n";
    for (const GeneratedScan &scan : run.scans) {
        for (size_t k = 0; k < scan.columns.size(); ++k) {
            char row[64];
            std::snprintf(row, sizeof row, ",%d,%d,%d,%.6f,%.6f\n", scan.header.cell, int(k + 1),
                scan.header.speed, scan.columns[k].meniscus, scan.columns[k].bottom);
            csv += scan.relativePath.toLatin1() + row;
        }
    }
    return csv;
}

bool WriteRun(const GeneratedRun &run, const QString &folder)
{
    const auto write = [&folder](const QString &relative, const QByteArray &bytes) {
        const QString path = QDir(folder).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    for (const GeneratedScan &scan : run.scans) {
        if (!write(scan.relativePath, scan.bytes))
            return false;
    }
    for (const auto &[name, bytes] : run.otherFiles) {
        if (!write(name, bytes))
            return false;
    }
    return true;
}

QByteArray IdealScanBytes(const std::vector<IdealSpecies> &species, int rpm, double temperature,
    double from, double to, double step, double noise, unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0.0, noise > 0.0 ? noise : 1.0);
    char header[128];
    std::snprintf(
        header, sizeof header, "R 1 %04.1f %d 0072000 1.0000E+11 280 1", temperature, rpm);
    QByteArray bytes = QByteArray("Ideal species at equilibrium\n") + header + "\n";
    const double xm = from * from / 2.0;
    for (int i = 0;; ++i) {
        const double x = from + i * step;
        if (x > to + step / 2.0)
            break;
        double c = 0.0;
        for (const IdealSpecies &s : species)
            c += s.readingAtMeniscus
                * std::exp(SigmaOf(s.buoyantMass, rpm, temperature) * (x * x / 2.0 - xm));
        if (noise > 0.0)
            c += gauss(random);
        char line[96];
        std::snprintf(line, sizeof line, "%.4f %.7E %.4E\n", x, c, 0.005);
        bytes += line;
    }
    return bytes;
}
