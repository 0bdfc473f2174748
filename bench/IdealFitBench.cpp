// SPDX-License-Identifier: GPL-3.0-or-later
// The species fit: one cell of 9 scans of about 200 points at once, and
// every scan of the public run's shape (630 scans) fitted on its own.
#include "core/NumLib.h"
#include "runs/IdealFit.h"
#include "runs/RunAnalysis.h"
#include "runs/RunReader.h"
#include "support/RunGenerator.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cmath>
#include <random>
#include <stdexcept>

namespace
{

// Three speeds and three loadings of a 50 kDa species, each scan with its
// own offset and noise, radii every 0.0015 cm over 6.87-7.17 cm.
std::vector<SpeciesScan> nineScans()
{
    std::mt19937 random(3);
    std::normal_distribution<double> gauss(0.0, 0.004);
    std::vector<SpeciesScan> scans;
    for (int rpm : { 12000, 16000, 20000 }) {
        for (double loading : { 0.9, 0.6, 0.3 }) {
            SpeciesScan scan;
            scan.rpm = rpm;
            scan.temperature = 10.0;
            const double sigma = SigmaOf(13500.0, rpm, 10.0);
            const double offset = gauss(random) * 5.0;
            for (double x = 6.87; x <= 7.17; x += 0.0015) {
                const double c = loading * 0.3 * std::exp(sigma * (x * x - 6.87 * 6.87) / 2.0);
                if (c <= 1.5)
                    scan.points.push_back({ x, c + offset + gauss(random) });
            }
            scans.push_back(std::move(scan));
        }
    }
    return scans;
}

void BM_SpeciesFit_cell_of_9_scans(benchmark::State &state)
{
    const std::vector<SpeciesScan> scans = nineScans();
    for (auto _ : state) {
        const SpeciesFit fit = FitCell(scans, 0.73, 1.0);
        if (!fit.fitted())
            state.SkipWithError("no fit");
        benchmark::DoNotOptimize(fit.buoyantMass);
    }
}
BENCHMARK(BM_SpeciesFit_cell_of_9_scans)->Unit(benchmark::kMillisecond);

void BM_SpeciesFit_every_scan_630_scans(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("run"));
    if (!WriteRun(GenerateRun(PublicRunPlan()), folder))
        throw std::runtime_error("cannot write the benchmark run");
    NumLib numlib;
    const Run run = ReadRun({ folder }, numlib);
    const RunAnalysis analysis = AnalyseRun(run);
    std::vector<SpeciesScan> scans;
    for (size_t i = 0; i < run.scans.size(); ++i)
        scans.push_back(SpeciesScanOf(run.scans[i], analysis.optionsOfScan(int(i))));
    int fitted = 0;
    for (auto _ : state) {
        fitted = 0;
        for (const SpeciesScan &scan : scans)
            fitted += FitCell({ scan }, 0.73, 1.0).fitted() ? 1 : 0;
        benchmark::DoNotOptimize(fitted);
    }
    state.counters["fitted"] = fitted;
}
BENCHMARK(BM_SpeciesFit_every_scan_630_scans)->Unit(benchmark::kMillisecond);

} // namespace
