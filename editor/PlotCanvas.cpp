#include "editor/PlotCanvas.h"

#include "editor/PlotRender.h"

#include <QMouseEvent>
#include <QPainter>

namespace
{

int buttonCode(Qt::MouseButtons buttons)
{
    int code = 0;
    if (buttons & Qt::LeftButton)
        code |= PlotCanvas::LeftButton;
    if (buttons & Qt::RightButton)
        code |= PlotCanvas::RightButton;
    if (buttons & Qt::MiddleButton)
        code |= PlotCanvas::MiddleButton;
    // Any other button has a code that no handler acts on.
    if (buttons & ~(Qt::LeftButton | Qt::RightButton | Qt::MiddleButton))
        code |= 8;
    return code;
}

int shiftCode(Qt::KeyboardModifiers modifiers)
{
    int code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= PlotCanvas::ShiftKey;
    if (modifiers & Qt::ControlModifier)
        code |= PlotCanvas::CtrlKey;
    if (modifiers & Qt::AltModifier)
        code |= PlotCanvas::AltKey;
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
    const QPointF at = surfaceMap().toPlot(event->position());
    emit mousePressed(
        buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x()), float(at.y()));
}

void PlotCanvas::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = surfaceMap().toPlot(event->position());
    emit mouseMoved(
        buttonCode(event->buttons()), shiftCode(event->modifiers()), float(at.x()), float(at.y()));
}

void PlotCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF at = surfaceMap().toPlot(event->position());
    emit mouseReleased(
        buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x()), float(at.y()));
}
