#include "editor/PlotCanvas.h"

#include "editor/PlotRender.h"

#include <QMouseEvent>
#include <QPainter>

namespace
{

MouseButton buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::NoButton:
        return MouseButton::None;
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return MouseButton::Other;
    }
}

ShiftState shiftCode(Qt::KeyboardModifiers modifiers)
{
    ShiftState code = ShiftState::None;
    if (modifiers & Qt::ShiftModifier)
        code = code | ShiftState::Shift;
    if (modifiers & Qt::ControlModifier)
        code = code | ShiftState::Ctrl;
    if (modifiers & Qt::AltModifier)
        code = code | ShiftState::Alt;
    return code;
}

} // namespace

PlotCanvas::PlotCanvas(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PlotArea"));
    setAccessibleName(QStringLiteral("Plot"));
    setAccessibleDescription(
        QStringLiteral("Concentration against x; click or drag as the toolbar mode says"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
}

void PlotCanvas::setPlot(PlotGeometry plot)
{
    m_plot = std::move(plot);
    m_picture = QImage();
    update();
}

void PlotCanvas::setBand(std::optional<QRectF> band)
{
    m_band = band;
    update();
}

QImage PlotCanvas::plotImage()
{
    const QSize pixels = size() * devicePixelRatio();
    if (m_picture.isNull() || m_picture.size() != pixels) {
        m_picture = QImage(pixels, QImage::Format_RGB32);
        m_picture.setDevicePixelRatio(devicePixelRatio());
        QPainter painter(&m_picture);
        if (m_plot)
            RenderPlot(painter, *m_plot, QRectF(rect()), palette().color(QPalette::Window));
        else
            painter.fillRect(rect(), palette().color(QPalette::Window));
    }
    return m_picture;
}

void PlotCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), plotImage());
    if (m_band) {
        const SurfaceMap surface = surfaceMap();
        painter.setPen(QPen(QColor(255, 0, 0), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(
            QRectF(surface.toPixel(m_band->topLeft()), surface.toPixel(m_band->bottomRight()))
                .normalized());
    }
}

void PlotCanvas::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

void PlotCanvas::mousePressEvent(QMouseEvent *event)
{
    emit mousePressed(
        event->position(), buttonCode(event->button()), shiftCode(event->modifiers()));
}

void PlotCanvas::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(event->position());
}

void PlotCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseReleased(
        event->position(), buttonCode(event->button()), shiftCode(event->modifiers()));
}
