// SPDX-License-Identifier: GPL-3.0-or-later
// The run window's group edits: a range applied to 100 scans and saved, the
// detector over 100 scans, and the split of one six-channel cell's scans.
// Each iteration edits a fresh copy of the run as read, so none finds its
// work done by the one before.
#include "core/NumLib.h"
#include "runs/ChannelPlan.h"
#include "runs/ChannelSplit.h"
#include "runs/GroupEdits.h"
#include "runs/RunEdits.h"
#include "runs/RunReader.h"
#include "runs/ScanSave.h"
#include "support/RunGenerator.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <memory>
#include <numeric>
#include <stdexcept>

namespace
{

// 4 cells of 25 scans, about 350 lines each.
RunPlan hundredScanPlan()
{
    RunPlan plan;
    plan.cells = { 1, 2, 3, 4 };
    plan.speeds = { { 16000, 13, 12.0 }, { 24000, 12, 10.0 } };
    return plan;
}

const Run &readOnce(const RunPlan &plan, const char *name)
{
    static QTemporaryDir dir;
    const QString folder = dir.filePath(QLatin1String(name));
    if (!WriteRun(GenerateRun(plan), folder))
        throw std::runtime_error("cannot write the benchmark run");
    NumLib numlib;
    numlib.load();
    static std::vector<std::unique_ptr<Run>> runs;
    runs.push_back(std::make_unique<Run>(ReadRun({ folder }, numlib)));
    return *runs.back();
}

const Run &hundredScans()
{
    static const Run &run = readOnce(hundredScanPlan(), "hundred");
    return run;
}

std::vector<int> everyScan(const Run &run)
{
    std::vector<int> all(run.scans.size());
    std::iota(all.begin(), all.end(), 0);
    return all;
}

void BM_ApplyRangeAndSave_100_scans(benchmark::State &state)
{
    const Run &read = hundredScans();
    if (read.scans.size() != 100) {
        state.SkipWithError("not 100 scans");
        return;
    }
    const std::vector<int> all = everyScan(read);
    QTemporaryDir out;
    const SaveForm form { false, true };
    const QStringList sources = SourceFiles(read);
    for (auto _ : state) {
        Run run = read;
        RunEdits edits(run);
        const RangeReport report = ApplyRangeTo(edits, run, all, { 6.85, 7.05 });
        std::vector<const Scan *> scans;
        for (const Scan &scan : run.scans)
            scans.push_back(&scan);
        const SaveResult saved = SaveScans(scans, { out.path(), form, true, sources });
        if (report.changed != 100 || saved.written.size() != 100)
            state.SkipWithError("not every scan was edited and saved");
        benchmark::DoNotOptimize(saved.written.data());
    }
    double points = 0;
    for (const Scan &scan : read.scans)
        points += scan.numPoints;
    state.counters["points_per_scan"] = points / double(read.scans.size());
}
BENCHMARK(BM_ApplyRangeAndSave_100_scans)->Unit(benchmark::kMillisecond);

void BM_RemoveSuggested_100_scans(benchmark::State &state)
{
    const Run &read = hundredScans();
    const std::vector<int> all = everyScan(read);
    for (auto _ : state) {
        Run run = read;
        RunEdits edits(run);
        const SuggestReport report = RemoveSuggestedFrom(edits, all);
        benchmark::DoNotOptimize(report.points);
    }
}
BENCHMARK(BM_RemoveSuggested_100_scans)->Unit(benchmark::kMillisecond);

void BM_SplitChannels_three_column_cell(benchmark::State &state)
{
    static const Run &read = readOnce(SixChannelPlan(), "six-channel");
    const std::vector<int> all = everyScan(read);
    for (auto _ : state) {
        Run run = read;
        RunEdits edits(run);
        const std::vector<ChannelSetting> settings = ProposeChannels(run, all);
        if (settings.size() != 3 || !SplitChannels(edits, run, settings)
            || run.scans.size() != 3 * read.scans.size())
            state.SkipWithError("the cell was not split into three columns at each speed");
        benchmark::DoNotOptimize(run.scans.data());
    }
}
BENCHMARK(BM_SplitChannels_three_column_cell)->Unit(benchmark::kMillisecond);

} // namespace
