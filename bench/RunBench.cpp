// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a run and checking it: the public run's shape, 7 cells of 90
// scans of about 350 lines, from a folder.
#include "core/NumLib.h"
#include "runs/ColumnLimits.h"
#include "runs/RunAnalysis.h"
#include "runs/RunReader.h"
#include "support/RunGenerator.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <stdexcept>

namespace
{

// Written once for all the benchmarks of this file.
const QString &publicRunFolder()
{
    static QTemporaryDir dir;
    static const QString folder = [] {
        const QString path = dir.filePath(QStringLiteral("run"));
        if (!WriteRun(GenerateRun(PublicRunPlan()), path))
            throw std::runtime_error("cannot write the benchmark run");
        return path;
    }();
    return folder;
}

void BM_ReadRun_630_scans(benchmark::State &state)
{
    NumLib numlib;
    numlib.load();
    const QString folder = publicRunFolder();
    for (auto _ : state) {
        const Run run = ReadRun({ folder }, numlib);
        if (run.scans.size() != 630)
            state.SkipWithError("not 630 scans");
        benchmark::DoNotOptimize(run.scans.data());
    }
}
BENCHMARK(BM_ReadRun_630_scans)->Unit(benchmark::kMillisecond);

void BM_CheckEveryGroup_630_scans(benchmark::State &state)
{
    NumLib numlib;
    const Run run = ReadRun({ publicRunFolder() }, numlib);
    RunAnalysis analysis;
    analysis.groups = GroupScans(run.scans);
    for (auto _ : state) {
        CheckGroups(run, analysis);
        benchmark::DoNotOptimize(analysis.checks.data());
    }
}
BENCHMARK(BM_CheckEveryGroup_630_scans)->Unit(benchmark::kMillisecond);

// The solution column of every setting, from every scan's estimate.
void BM_FindColumns_630_scans(benchmark::State &state)
{
    NumLib numlib;
    const Run run = ReadRun({ publicRunFolder() }, numlib);
    const RunGroups groups = GroupScans(run.scans);
    for (auto _ : state) {
        const std::vector<std::optional<SolutionColumn>> columns = FindColumns(run, groups);
        benchmark::DoNotOptimize(columns.data());
    }
}
BENCHMARK(BM_FindColumns_630_scans)->Unit(benchmark::kMillisecond);

// Everything the table shows: groups, checks and the ln c fit of every scan.
void BM_AnalyseRun_630_scans(benchmark::State &state)
{
    NumLib numlib;
    const Run run = ReadRun({ publicRunFolder() }, numlib);
    for (auto _ : state) {
        const RunAnalysis analysis = AnalyseRun(run);
        benchmark::DoNotOptimize(analysis.fits.data());
    }
}
BENCHMARK(BM_AnalyseRun_630_scans)->Unit(benchmark::kMillisecond);

} // namespace
