// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RunGenerator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstdio>
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

GeneratedRun GenerateRun(const RunPlan &plan)
{
    GeneratedRun run;
    std::mt19937 random(plan.seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const int wavelengths = int(plan.wavelengths.size());

    // When each speed begins, in hours, for a cell scanned first.
    std::vector<double> starts;
    double hours = 0.5;
    for (const SpeedStep &step : plan.speeds) {
        starts.push_back(hours - plan.hoursBetweenScans);
        hours += step.scans * plan.hoursBetweenScans;
    }

    for (size_t ci = 0; ci < plan.cells.size(); ++ci) {
        const int cell = plan.cells[ci];
        run.otherFiles.emplace_back(QStringLiteral("CELL%1ABS.LOG").arg(cell),
            QByteArray("Scan log of cell ") + QByteArray::number(cell) + "\r\n1 2 3 4 5\r\n");
        int number = 0;
        double omega2t = 0.0;
        double lastHours = 0.0;
        for (int s = 0; s < int(plan.speeds.size()); ++s) {
            const SpeedStep &step = plan.speeds[size_t(s)];
            const std::vector<SampleColumn> columns = ColumnsAt(plan, s);
            const double omega = 2.0 * std::numbers::pi * step.rpm / 60.0;
            for (int k = 0; k < step.scans; ++k) {
                ++number;
                const int w = k % wavelengths;
                const double nominal = plan.wavelengths[size_t(w)];
                const double at
                    = starts[size_t(s)] + (k + 1) * plan.hoursBetweenScans + double(ci) / 12.0;
                omega2t += omega * omega * (at - lastHours) * 3600.0;
                lastHours = at;
                GeneratedScan scan;
                scan.speedIndex = s;
                scan.wavelength = nominal;
                scan.indexInSetting = k / wavelengths;
                scan.offset = plan.offsetSpread * gauss(random);
                const bool variant = plan.variants;
                const int v = number + int(ci);

                scan.header.type = 'R';
                scan.header.cell = cell;
                scan.header.temperature = plan.temperature;
                scan.header.speed = step.rpm;
                scan.header.time = std::llround(at * 3600.0);
                scan.header.wavelength = nominal + (variant && v % 3 == 1 ? 1.0 : 0.0);
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
                    std::snprintf(speedText, sizeof speedText, "%05d", step.rpm);
                else if (variant && v % 4 == 2)
                    std::snprintf(speedText, sizeof speedText, "%5d", step.rpm);
                else
                    std::snprintf(speedText, sizeof speedText, "%d", step.rpm);
                char headerText[160];
                std::snprintf(headerText, sizeof headerText, "R %d %04.1f %s %07lld %s %d %d%s",
                    cell, plan.temperature, speedText, static_cast<long long>(scan.header.time),
                    omegaField.constData(), int(scan.header.wavelength), scan.header.count,
                    variant && v % 5 == 3 ? " " : "");
                scan.header.temperature = QByteArray(headerText).split(' ')[2].toDouble();

                scan.description = variant
                    ? QByteArray(descriptions[v % 5])
                    : QByteArray("Generated scan of cell ") + QByteArray::number(cell);
                const QByteArray end = variant && v % 2 == 1 ? "\r\n" : "\n";
                const int digits = variant ? 2 + v % 3 : 2;
                QByteArray bytes = scan.description + end + headerText + end;

                const double ext = extinctions[w % 5];
                std::vector<std::pair<double, double>> rows; // reading, deviation
                std::vector<double> radii;
                const SampleColumn &first = columns.front();
                const SampleColumn &last = columns.back();
                double r = first.meniscus - 0.06;
                while (r < last.bottom + (plan.placeHolders ? 0.04 : 0.0)) {
                    radii.push_back(std::round(r * 1e4) / 1e4);
                    r += plan.evenSteps ? plan.step : plan.step * (0.4 + 1.2 * uniform(random));
                }
                for (double x : radii) {
                    double reading = scan.offset + plan.noise * gauss(random);
                    double deviation = 0.002 + 0.004 * uniform(random);
                    bool placed = false;
                    for (const SampleColumn &column : columns) {
                        const Profile profile { plan, column, plan.loading * ext };
                        if (std::fabs(x - column.meniscus) < 0.006) {
                            reading += x < column.meniscus ? plan.innerSpike : plan.outerSpike;
                            placed = true;
                        } else if (x > column.meniscus && x <= column.bottom) {
                            reading += profile.at(s, x, at - starts[size_t(s)], starts);
                            if (plan.outlierInSetting
                                && scan.indexInSetting == *plan.outlierInSetting)
                                reading += plan.outlierChange * (x - column.meniscus)
                                    / (column.bottom - column.meniscus);
                            placed = true;
                        }
                    }
                    if (!placed && x > first.meniscus && x < last.bottom) {
                        // A septum between two columns: saturated and wild readings.
                        reading = uniform(random) < 0.5 ? 4.0 : 3.5 * uniform(random) - 0.5;
                        deviation = reading == 4.0 ? 0.0 : 0.05;
                    } else if (!placed && x > last.bottom) {
                        reading = 4.0;
                        deviation = 0.0;
                    }
                    if (reading > Saturation) {
                        reading = 4.0;
                        deviation = 0.0;
                    }
                    rows.emplace_back(reading, deviation);
                }
                if (plan.placeHolders && rows.size() > 40) {
                    for (int p = 0; p < 2; ++p) {
                        const size_t at = size_t(20 + (v * 37 + p * 101) % int(rows.size() - 40));
                        rows[at] = { 1.0, 0.0 };
                    }
                }
                for (size_t i = 0; i < radii.size(); ++i) {
                    char x[16];
                    std::snprintf(x, sizeof x, "%.4f", radii[i]);
                    bytes += x;
                    bytes += ' ';
                    bytes += scientific(rows[i].first, digits);
                    bytes += ' ';
                    bytes += scientific(rows[i].second, digits);
                    if (i + 1 < radii.size() || !variant || v % 5 != 4)
                        bytes += end;
                }
                scan.points = int(radii.size());
                scan.bytes = bytes;
                char name[32];
                std::snprintf(name, sizeof name, variant && v % 7 == 3 ? "%05d.ra%d" : "%05d.RA%d",
                    number, cell);
                scan.relativePath = QString::fromLatin1(name);
                run.scans.push_back(std::move(scan));
            }
        }
    }
    run.otherFiles.emplace_back(QStringLiteral("notes.txt"), QByteArray("Run notes\n"));
    return run;
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
