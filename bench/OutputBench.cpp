// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/NumLib.h"
#include "core/ProgramState.h"
#include "editor/PlotGeometry.h"
#include "editor/PlotOutput.h"
#include "editor/PlotRender.h"
#include "editor/Plotwork.h"

#include "BenchData.h"

#include <benchmark/benchmark.h>

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace
{

// "Print" of a 1280 x 1024 plot of 2199 points: one A4 page drawn at 1200
// dots per inch and written as a PDF file, as the print engine hands it on.
void BM_PrintPlot_2199_points_PDF(benchmark::State &state)
{
    auto s = std::make_unique<ProgramState>();
    fillPlot(*s);
    NumLib numlib;
    const PlotSetup setup = fullScreenSetup();
    auto session = std::make_unique<PlotSession>(PlotSessionFrom(*s));
    const PlotGeometry plot = ComputePlotGeometry(*session, numlib, setup);
    const DrawPicture draw = [&plot](QPainter &painter, const QRectF &target) {
        RenderPlot(painter, plot, target, QColor(240, 240, 240));
    };
    QTemporaryDir dir;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("plot.pdf")));
        printer.setPageSize(QPageSize(QPageSize::A4));
        if (!PrintPictureFitted(printer, QSize(1280, 1024), draw))
            state.SkipWithError("the PDF printer refused the page");
    }
}
BENCHMARK(BM_PrintPlot_2199_points_PDF)->Unit(benchmark::kMillisecond);

} // namespace
