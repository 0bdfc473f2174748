// SPDX-License-Identifier: GPL-3.0-or-later
// A line of the solution column let go on the overlay: the moved setting
// checked and fitted again alone, its curves built and the plots filled, as
// the run window does on each release. Scans of 2199 points, a setting of
// twelve, in a run of seven cells. (The lines themselves follow the pointer
// with a repaint of the view alone.)
#include "core/NumLib.h"
#include "runs/RunReader.h"
#include "runwindows/Overlay.h"
#include "runwindows/RunPlots.h"
#include "support/RunGenerator.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <stdexcept>

namespace
{

struct LongScans {
    Run run;
    RunAnalysis analysis;
};

const LongScans &longScans()
{
    static const LongScans setting = [] {
        RunPlan plan;
        plan.cells = { 1, 2, 3, 4, 5, 6, 7 };
        plan.speeds = { { 16000, 12, 24.0 } };
        plan.wavelengths = { 280 };
        plan.step = 0.000195; // about 2199 points a scan
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("run"));
        if (!WriteRun(GenerateRun(plan), folder))
            throw std::runtime_error("cannot write the benchmark run");
        NumLib numlib;
        numlib.load();
        LongScans read { ReadRun({ folder }, numlib), {} };
        read.analysis = AnalyseRun(read.run);
        return read;
    }();
    return setting;
}

void BM_ColumnMove_2199_points(benchmark::State &state)
{
    const LongScans &data = longScans();
    if (data.analysis.groups.groups.empty() || !data.analysis.columns.front()) {
        state.SkipWithError("no column found");
        return;
    }
    RunAnalysis analysis = data.analysis;
    const ScanGroup &group = analysis.groups.groups.front();
    const Scan &first = data.run.scans[size_t(group.scans.front())];
    state.counters["points"] = first.numPoints;
    const SolutionColumn found = *analysis.columns.front();
    RunPlots plots;
    const bool replot = state.range(0) != 0;
    if (replot) {
        plots.resize(1280, 1024);
        plots.show();
    }
    if (state.range(0) == 2)
        plots.setOverlay(BuildOverlay(data.run, analysis, group.scans));
    bool out = false;
    for (auto _ : state) {
        SolutionColumn moved = found;
        moved.inner = ColumnRadius(found.inner + (out ? 0.02 : 0.01));
        out = !out;
        analysis.options.limits = { LimitsOf(group, moved) };
        AnalyseGroup(data.run, analysis, 0);
        Overlay overlay = BuildOverlay(data.run, analysis, group.scans);
        if (replot) {
            if (state.range(0) == 2)
                plots.setChecks(overlay);
            else
                plots.setOverlay(overlay);
            QCoreApplication::processEvents();
        }
        benchmark::DoNotOptimize(overlay.scans.data());
    }
}
// 0: the setting checked and fitted again and its curves built; 1: and the
// charts filled and laid out anew; 2: and the checks alone replotted, as a
// dragged line does, the overlay keeping its axes.
BENCHMARK(BM_ColumnMove_2199_points)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace
