// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/NumLib.h"
#include "core/ProgramState.h"
#include "editor/PlotCanvas.h"
#include "editor/PlotGeometry.h"
#include "editor/PlotRender.h"
#include "editor/PlotWindow.h"
#include "editor/Plotwork.h"
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

// Counts the paints a widget gets, so that a benchmark can tell that the
// repaint it waits for happened.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The open editor on the full data set, shown and painted once.
struct OpenEditor {
    OpenEditor()
        : platform(dir)
    {
        fillPlot(*s);
        window = std::make_unique<PlotWindow>(platform, numlib, PlotSessionFrom(*s));
        window->show();
        QCoreApplication::processEvents();
        canvas = window->canvas();
        canvas->installEventFilter(&counter);
    }
    QPointF pixelOf(int i) const
    {
        const QPointF plot = window->interaction().map().toPlot(s->PlotX(i), s->PlotY(i));
        return canvas->surfaceMap().toPixel(plot);
    }
    // Delivers the repaint that the last event asked for, as the event loop
    // would: only the parts of the canvas that changed are painted.
    void flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); }

    QTemporaryDir dir;
    LargeScreenPlatform platform;
    NumLib numlib;
    std::unique_ptr<ProgramState> s = std::make_unique<ProgramState>();
    std::unique_ptr<PlotWindow> window;
    PlotCanvas *canvas = nullptr;
    PaintCounter counter;
};

// A left click on point 1000 in the open editor, alternately removing and
// restoring it, until the canvas has painted the new plot.
void BM_ClickOnPointToRepaint_2199_points(benchmark::State &state)
{
    OpenEditor editor;
    PlotCanvas *canvas = editor.canvas;
    const QPointF pixel = editor.pixelOf(1000);
    auto click = [&] {
        QMouseEvent press(QEvent::MouseButtonPress, pixel, canvas->mapToGlobal(pixel),
            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &press);
        editor.flush();
    };
    editor.window->button(2)->trigger();
    click();
    if (editor.window->session().PlotFlag(1000) >= 0.0f)
        state.SkipWithError("the click hit no point");
    bool remove = false;
    const int paintsBefore = editor.counter.paints;
    for (auto _ : state) {
        editor.window->button(remove ? 2 : 4)->trigger();
        remove = !remove;
        click();
    }
    if (editor.counter.paints <= paintsBefore)
        state.SkipWithError("the canvas was not repainted");
}
BENCHMARK(BM_ClickOnPointToRepaint_2199_points)->Unit(benchmark::kMillisecond);

// The pointer moving from point 1000 to point 1100 and back in remove mode:
// the ring moves, the tool tip and the read-out follow, and the canvas
// repaints what changed.
void BM_HoverRing_2199_points(benchmark::State &state)
{
    OpenEditor editor;
    PlotCanvas *canvas = editor.canvas;
    editor.window->button(2)->trigger();
    const QPointF pixels[2] = { editor.pixelOf(1000), editor.pixelOf(1100) };
    int next = 0;
    auto move = [&] {
        const QPointF pixel = pixels[next];
        next = 1 - next;
        QMouseEvent event(QEvent::MouseMove, pixel, canvas->mapToGlobal(pixel), Qt::NoButton,
            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &event);
        editor.flush();
    };
    move();
    if (!canvas->ring())
        state.SkipWithError("no ring under the pointer");
    const int paintsBefore = editor.counter.paints;
    for (auto _ : state)
        move();
    if (editor.counter.paints <= paintsBefore)
        state.SkipWithError("the canvas was not repainted");
}
BENCHMARK(BM_HoverRing_2199_points)->Unit(benchmark::kMillisecond);

} // namespace
