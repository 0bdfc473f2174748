// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/PlotSession.h"
#include "core/Suggestions.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

namespace
{

// A full scan with a standard-deviation column: a boundary with noise, a
// few spikes, place-holders and a saturated stretch, so every kind works.
std::unique_ptr<PlotSession> suggestionScan()
{
    auto s = std::make_unique<PlotSession>();
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0.0, 0.003);
    std::uniform_real_distribution<double> spread(0.002, 0.004);
    s->PlotCount = MaxPoints;
    for (int i = 1; i <= MaxPoints; ++i) {
        const double x = 5.9 + 1.3 * (i - 1) / (MaxPoints - 1);
        s->PlotX(i) = float(x);
        s->PlotY(i) = float(0.8 / (1.0 + std::exp(-(x - 6.45) / 0.035)) + noise(rng));
        s->PlotFlag(i) = float(spread(rng));
        if (i % 97 == 0)
            s->PlotY(i) += 0.05f;
        if (i % 17 == 0)
            s->PlotFlag(i) = -s->PlotFlag(i);
    }
    for (int i = 1; i <= 5; ++i) {
        s->PlotY(i) = 1.0f;
        s->PlotFlag(i) = 100.0f;
    }
    for (int i = MaxPoints - 20; i <= MaxPoints - 5; ++i) {
        s->PlotY(i) = 4.0f;
        s->PlotFlag(i) = 100.0f;
    }
    return s;
}

void BM_Suggest_2199_points(benchmark::State &state)
{
    const auto session = suggestionScan();
    for (auto _ : state) {
        Suggestions r = SuggestBadPoints(ScanPointsOf(*session));
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_Suggest_2199_points)->Unit(benchmark::kMicrosecond);

} // namespace
