#include "editor/PlotCanvas.h"
#include "editor/PlotGeometry.h"
#include "editor/PlotRender.h"
#include "editor/PlotWindow.h"
#include "editor/Plotwork.h"
#include "shell/NumLib.h"
#include "shell/ProgramState.h"
#include "shell/QtPlatform.h"

#include "BenchData.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace
{

// One paint: the geometry (both tkrnd2 calls, fonts, labels, markers) and
// the drawing, on a 1280 x 1024 surface.
void BM_PlotPaint_2199_points_1280x1024(benchmark::State &state)
{
    auto full = std::make_unique<ProgramState>();
    fillPlot(*full);
    auto s = std::make_unique<PlotSession>(PlotSessionFrom(*full));
    NumLib numlib;
    const PlotSetup setup = fullScreenSetup();
    QImage image(1280, 1024, QImage::Format_RGB32);
    for (auto _ : state) {
        const PlotGeometry plot = ComputePlotGeometry(*s, numlib, setup);
        QPainter painter(&image);
        RenderPlot(painter, plot, QRectF(0, 0, 1280, 1024), QColor(240, 240, 240));
    }
}
BENCHMARK(BM_PlotPaint_2199_points_1280x1024)->Unit(benchmark::kMillisecond);

// The real platform on a 1280 x 1024 screen.
class LargeScreenPlatform : public QtPlatform
{
public:
    explicit LargeScreenPlatform(const QTemporaryDir &dir)
        : QtPlatform(dir.filePath(QStringLiteral("kelvane.lock")))
    {
    }
    QSize screenSize() override { return { 1280, 1024 }; }
};

// A left click on point 1000 in the open editor, alternately removing and
// restoring it, until the canvas has painted the new plot.
void BM_ClickOnPointToRepaint_2199_points(benchmark::State &state)
{
    QTemporaryDir dir;
    LargeScreenPlatform platform(dir);
    NumLib numlib;
    auto s = std::make_unique<ProgramState>();
    fillPlot(*s);
    PlotWindow window(platform, numlib, PlotSessionFrom(*s));
    window.show();
    QCoreApplication::processEvents();
    PlotCanvas *canvas = window.canvas();
    const QPointF plot = window.interaction().map().toPlot(s->PlotX(1000), s->PlotY(1000));
    const QPointF pixel = canvas->surfaceMap().toPixel(plot);
    auto click = [&] {
        QMouseEvent press(QEvent::MouseButtonPress, pixel, canvas->mapToGlobal(pixel),
            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &press);
        canvas->repaint();
    };
    window.button(2)->trigger();
    click();
    if (window.session().PlotFlag(1000) >= 0.0f)
        state.SkipWithError("the click hit no point");
    bool remove = false;
    for (auto _ : state) {
        window.button(remove ? 2 : 4)->trigger();
        remove = !remove;
        click();
    }
}
BENCHMARK(BM_ClickOnPointToRepaint_2199_points)->Unit(benchmark::kMillisecond);

} // namespace
