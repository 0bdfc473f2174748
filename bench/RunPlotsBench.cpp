// SPDX-License-Identifier: GPL-3.0-or-later
// The run window's plots when a setting of 120 scans is chosen: the curves
// built, the charts filled and their axes fitted, and one paint of both
// plots at 1280 x 1024, as the window does on each choice.
#include "core/NumLib.h"
#include "runs/RunReader.h"
#include "runwindows/Overlay.h"
#include "runwindows/RunPlots.h"
#include "support/RunGenerator.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <stdexcept>

namespace
{

struct OneSetting {
    Run run;
    RunAnalysis analysis;
};

// One cell at one speed and wavelength: a single group of 120 scans of
// about 350 lines, with the place-holder and saturated rows of real scans.
const OneSetting &oneSetting()
{
    static const OneSetting setting = [] {
        RunPlan plan;
        plan.cells = { 1 };
        plan.speeds = { { 16000, 120, 40.0 } };
        plan.wavelengths = { 280 };
        plan.hoursBetweenScans = 1.0;
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("run"));
        if (!WriteRun(GenerateRun(plan), folder))
            throw std::runtime_error("cannot write the benchmark run");
        NumLib numlib;
        numlib.load();
        OneSetting read { ReadRun({ folder }, numlib), {} };
        read.analysis = AnalyseRun(read.run);
        return read;
    }();
    return setting;
}

void BM_PlotGroup_120_scans(benchmark::State &state)
{
    const OneSetting &setting = oneSetting();
    if (setting.analysis.groups.groups.size() != 1
        || setting.analysis.groups.groups.front().scans.size() != 120) {
        state.SkipWithError("not one group of 120 scans");
        return;
    }
    const std::vector<int> &scans = setting.analysis.groups.groups.front().scans;
    RunPlots plots;
    plots.resize(1280, 1024);
    plots.show();
    QImage image(1280, 1024, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        plots.setOverlay(BuildOverlay(setting.run, setting.analysis, scans));
        QCoreApplication::processEvents();
        image.fill(Qt::white);
        QPainter painter(&image);
        plots.render(painter, QRectF(image.rect()));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PlotGroup_120_scans)->Unit(benchmark::kMillisecond);

} // namespace
