// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EditorSupport.h"

#include "editor/Plotwork.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>

#include <cmath>

void setDataSet(ProgramState &state, const std::vector<TestPoint> &points)
{
    state.NumPts = int32_t(points.size());
    for (size_t k = 0; k < points.size(); ++k) {
        const int i = int(k + 1);
        state.DataPts.x(i) = points[k].x;
        state.DataPts.conc(i) = points[k].conc;
        state.DataPts.flag(i) = points[k].flag;
    }
    if (!points.empty())
        SetFirstLastGood(state);
}

void runEditor(Harness &h, const std::function<void(PlotWindow &)> &inside)
{
    h.platform.modalActions.push_back([inside](QDialog &dialog) {
        QCoreApplication::processEvents();
        inside(static_cast<PlotWindow &>(dialog));
    });
    DoPlotwork(h.app, *h.window);
}

void sendMouse(PlotWindow &window, QEvent::Type type, QPointF plot, Qt::MouseButton button,
    Qt::KeyboardModifiers modifiers)
{
    PlotCanvas *canvas = window.canvas();
    const QPointF pixel = canvas->surfaceMap().toPixel(plot);
    // A move reports the buttons held; a press holds its button; a release none.
    const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
    const Qt::MouseButtons held
        = type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(button);
    QMouseEvent event(type, pixel, canvas->mapToGlobal(pixel), changed, held, modifiers);
    QCoreApplication::sendEvent(canvas, &event);
}

void clickAt(
    PlotWindow &window, QPointF plot, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    sendMouse(window, QEvent::MouseButtonPress, plot, button, modifiers);
    sendMouse(window, QEvent::MouseButtonRelease, plot, button, modifiers);
}

void dragBox(PlotWindow &window, QPointF from, QPointF to)
{
    sendMouse(window, QEvent::MouseButtonPress, from);
    sendMouse(window, QEvent::MouseMove, (from + to) / 2.0);
    sendMouse(window, QEvent::MouseMove, to);
    sendMouse(window, QEvent::MouseButtonRelease, to);
}

QPointF plotPositionOf(const PlotWindow &window, int i)
{
    const PlotSession &s = window.session();
    return window.interaction().map().toPlot(s.PlotX(i), s.PlotY(i));
}

QPointF plotPositionOf(const PlotWindow &window, const ProgramState &state, int i)
{
    return window.interaction().map().toPlot(state.PlotX(i), state.PlotY(i));
}

namespace
{

// Of the pixels of `image` on the circle of `radius` pixels around `centre`,
// the one that `better` ranks first; white when the circle lies outside.
template <typename Better>
QColor bestOnCircle(const QImage &image, QPointF centre, double radius, Better better)
{
    QColor best = Qt::white;
    bool found = false;
    for (int y = int(centre.y() - radius) - 2; y <= int(centre.y() + radius) + 2; ++y) {
        for (int x = int(centre.x() - radius) - 2; x <= int(centre.x() + radius) + 2; ++x) {
            const double d = std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y());
            if (std::fabs(d - radius) > 1.5 || !image.rect().contains(x, y))
                continue;
            const QColor c = image.pixelColor(x, y);
            if (!found || better(c, best)) {
                best = c;
                found = true;
            }
        }
    }
    return best;
}

} // namespace

QColor markerColourAt(const PlotWindow &window, const QImage &image, QPointF plot)
{
    const SurfaceMap surface = window.canvas()->surfaceMap();
    const double radius = window.canvas()->plot()->markerRadius * surface.pixelsPerUnitX();
    // The darkest: furthest from the white of the box.
    const auto darkness
        = [](const QColor &c) { return (255 - c.red()) + (255 - c.green()) + (255 - c.blue()); };
    return bestOnCircle(image, surface.toPixel(plot), radius,
        [&](const QColor &c, const QColor &best) { return darkness(c) > darkness(best); });
}

QColor colourOnCircleNearest(const PlotWindow &window, const QImage &image, QPointF plot,
    double radius, const QColor &wanted)
{
    const auto distance = [&wanted](const QColor &c) {
        return std::abs(c.red() - wanted.red()) + std::abs(c.green() - wanted.green())
            + std::abs(c.blue() - wanted.blue());
    };
    return bestOnCircle(image, window.canvas()->surfaceMap().toPixel(plot), radius,
        [&](const QColor &c, const QColor &best) { return distance(c) < distance(best); });
}

bool nearColour(const QColor &a, const QColor &b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

std::vector<TestPoint> diagonalPoints(float flag)
{
    std::vector<TestPoint> points;
    for (int i = 1; i <= 8; ++i)
        points.push_back({ float(i), float(i), flag });
    return points;
}

QPointF diagonalPosition(int i)
{
    return { 12.5 * (i - 1), 12.5 * (i - 1) };
}

std::vector<float> sessionFlags(const PlotSession &session)
{
    std::vector<float> out;
    for (int i = 1; i <= session.PlotCount; ++i)
        out.push_back(session.PlotFlag(i));
    return out;
}
