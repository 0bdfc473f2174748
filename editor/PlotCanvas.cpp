// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PlotCanvas.h"

#include "editor/PlotRender.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

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

// Drawn around the marker, clear of its own outline.
constexpr double RingGap = 3.0;
constexpr double RingWidth = 2.0;
const QColor RingColour(0, 0, 160);
const QColor SideLineColour(0, 0, 160);
// Outside the pointer's ring, so that both show on a suggested point.
constexpr double SuggestRingGap = 6.5;
const QColor SuggestRingColour(255, 140, 0);

// More changed markers than this are drawn again as one layer.
constexpr size_t MaxSpotRepairs = 64;

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
    m_base = QImage();
    m_picture = QImage();
    update();
}

bool PlotCanvas::pictureCurrent() const
{
    return !m_picture.isNull() && !m_base.isNull()
        && m_picture.size() == size() * devicePixelRatio();
}

void PlotCanvas::setMarkers(PlotGeometry plot, const std::vector<QPointF> &changed)
{
    if (!pictureCurrent() || !m_plot || changed.size() > MaxSpotRepairs) {
        // The axes stay: copy them and draw every marker again.
        const bool keepBase = !m_base.isNull() && m_base.size() == size() * devicePixelRatio();
        m_plot = std::move(plot);
        m_picture = QImage();
        if (!keepBase)
            m_base = QImage();
        update();
        return;
    }
    m_plot = std::move(plot);
    QPainter painter(&m_picture);
    const QRectF target(rect());
    const double ratio = devicePixelRatio();
    for (const QPointF &at : changed) {
        const QRectF spot = MarkerPixels(*m_plot, at).intersected(target);
        if (spot.isEmpty())
            continue;
        const QRect pixels = spot.toAlignedRect();
        painter.drawImage(QRectF(pixels), m_base,
            QRectF(pixels.x() * ratio, pixels.y() * ratio, pixels.width() * ratio,
                pixels.height() * ratio));
        RenderMarkers(painter, *m_plot, target, QRectF(pixels));
        update(pixels);
    }
}

void PlotCanvas::setBand(std::optional<QRectF> band)
{
    m_band = band;
    update();
}

double PlotCanvas::ringRadius(double gap) const
{
    const double marker
        = m_plot ? m_plot->markerRadius : PlotConstants::MarkerBase * PlotConstants::MarkerScale;
    return marker * surfaceMap().pixelsPerUnitX() + gap;
}

QRect PlotCanvas::ringPixels(QPointF centre, double gap) const
{
    // The pen and its antialiasing reach a little beyond the radius.
    const double reach = ringRadius(gap) + RingWidth / 2.0 + 2.0;
    const QPointF pixel = surfaceMap().toPixel(centre);
    return QRectF(pixel.x() - reach, pixel.y() - reach, 2 * reach, 2 * reach).toAlignedRect();
}

QRect PlotCanvas::sideLinePixels(float x) const
{
    const SurfaceMap surface = surfaceMap();
    const double pixel = surface.toPixelX(x);
    const int top = int(std::floor(surface.toPixelY(100)));
    const int bottom = int(std::ceil(surface.toPixelY(0)));
    return QRect(int(std::floor(pixel)) - 2, top, 5, bottom - top + 1);
}

void PlotCanvas::setRing(std::optional<QPointF> centre, const QString &tip)
{
    if (centre != m_ring) {
        if (m_ring)
            update(ringPixels(*m_ring, RingGap));
        m_ring = centre;
        if (m_ring)
            update(ringPixels(*m_ring, RingGap));
    }
    if (tip == toolTip())
        return;
    setToolTip(tip);
    // A tip still showing describes the old point or the old flag.
    if (QToolTip::isVisible())
        QToolTip::hideText();
}

double PlotCanvas::suggestRingRadius() const
{
    return ringRadius(SuggestRingGap);
}

void PlotCanvas::setSuggestRings(std::vector<QPointF> centres)
{
    if (centres == m_suggestRings)
        return;
    if (m_suggestRings.size() + centres.size() > MaxSpotRepairs) {
        update();
    } else {
        for (const QPointF &at : m_suggestRings)
            update(ringPixels(at, SuggestRingGap));
        for (const QPointF &at : centres)
            update(ringPixels(at, SuggestRingGap));
    }
    m_suggestRings = std::move(centres);
}

void PlotCanvas::drawSuggestRings(QPainter &painter, const QRect &dirty)
{
    const double radius = suggestRingRadius();
    const double ratio = devicePixelRatio();
    if (m_ringSprite.isNull() || m_ringSpriteRadius != radius
        || m_ringSprite.devicePixelRatio() != ratio) {
        const int side = int(std::ceil(2.0 * radius + RingWidth)) + 3;
        m_ringSprite = QImage(QSize(side, side) * ratio, QImage::Format_ARGB32_Premultiplied);
        m_ringSprite.setDevicePixelRatio(ratio);
        m_ringSprite.fill(Qt::transparent);
        QPainter sprite(&m_ringSprite);
        sprite.setRenderHint(QPainter::Antialiasing);
        sprite.setPen(QPen(SuggestRingColour, RingWidth));
        sprite.setBrush(Qt::NoBrush);
        sprite.drawEllipse(QPointF(side / 2.0, side / 2.0), radius, radius);
        m_ringSpriteRadius = radius;
    }
    const SurfaceMap surface = surfaceMap();
    const double half = m_ringSprite.width() / ratio / 2.0;
    const QRectF reach = QRectF(dirty).adjusted(-half, -half, half, half);
    painter.save();
    painter.setClipRect(dirty);
    for (const QPointF &at : m_suggestRings) {
        const QPointF pixel = surface.toPixel(at);
        if (!reach.contains(pixel))
            continue;
        painter.drawImage(
            QPointF(std::round(pixel.x() - half), std::round(pixel.y() - half)), m_ringSprite);
    }
    painter.restore();
}

void PlotCanvas::setSideLine(std::optional<float> x)
{
    // Only over the plot box, where the points are.
    if (x && !(*x >= 0.0f && *x <= 100.0f))
        x.reset();
    if (x == m_sideLine)
        return;
    if (m_sideLine)
        update(sideLinePixels(*m_sideLine));
    m_sideLine = x;
    if (m_sideLine)
        update(sideLinePixels(*m_sideLine));
}

QImage PlotCanvas::plotImage()
{
    const QSize pixels = size() * devicePixelRatio();
    if (m_base.isNull() || m_base.size() != pixels) {
        m_base = QImage(pixels, QImage::Format_RGB32);
        m_base.setDevicePixelRatio(devicePixelRatio());
        QPainter painter(&m_base);
        if (m_plot)
            RenderPlotBase(painter, *m_plot, QRectF(rect()), palette().color(QPalette::Window));
        else
            painter.fillRect(rect(), palette().color(QPalette::Window));
        m_picture = QImage();
    }
    if (m_picture.isNull() || m_picture.size() != pixels) {
        m_picture = m_base.copy();
        if (m_plot) {
            QPainter painter(&m_picture);
            RenderMarkers(painter, *m_plot, QRectF(rect()));
        }
    }
    return m_picture;
}

bool PlotCanvas::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        // The tip belongs to the ring: it goes when the pointer leaves it.
        auto *help = static_cast<QHelpEvent *>(event);
        if (m_ring && !toolTip().isEmpty())
            QToolTip::showText(help->globalPos(), toolTip(), this, ringPixels(*m_ring, RingGap));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void PlotCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    const QImage &picture = plotImage();
    const double ratio = devicePixelRatio();
    painter.drawImage(QRectF(dirty), picture,
        QRectF(
            dirty.x() * ratio, dirty.y() * ratio, dirty.width() * ratio, dirty.height() * ratio));
    if (!m_suggestRings.empty() && m_plot)
        drawSuggestRings(painter, dirty);
    const SurfaceMap surface = surfaceMap();
    if (m_sideLine) {
        painter.setPen(QPen(SideLineColour, 1.0, Qt::DashLine));
        const double x = std::round(surface.toPixelX(*m_sideLine)) + 0.5;
        painter.drawLine(QPointF(x, surface.toPixelY(100)), QPointF(x, surface.toPixelY(0)));
    }
    if (m_ring) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(RingColour, RingWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(surface.toPixel(*m_ring), ringRadius(RingGap), ringRadius(RingGap));
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    if (m_band) {
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

void PlotCanvas::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    emit left();
}
