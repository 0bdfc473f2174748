// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/RangeChartView.h"

#include <QChart>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace
{

const QColor BandColour(0, 90, 200);

} // namespace

RangeChartView::RangeChartView(QChart *chart, QWidget *parent)
    : QChartView(chart, parent)
{
    setToolTip(QStringLiteral("Drag to zoom, right-click to zoom out; Shift+drag sets the range "
                              "of the check of every setting"));
}

QString RangeChartView::bandCaption() const
{
    return band() ? QStringLiteral("Range of every setting's check") : QString();
}

std::optional<std::pair<double, double>> RangeChartView::band() const
{
    std::optional<double> from = m_from;
    std::optional<double> to = m_to;
    if (m_dragStart) {
        from = std::min(*m_dragStart, m_dragNow);
        to = std::max(*m_dragStart, m_dragNow);
    }
    if (!from && !to)
        return std::nullopt;
    const QRectF area = chart()->mapRectToScene(chart()->plotArea());
    const auto sceneX = [this](double value) {
        return chart()->mapToScene(chart()->mapToPosition(QPointF(value, 0.0))).x();
    };
    const double left = from ? std::max(area.left(), sceneX(*from)) : area.left();
    const double right = to ? std::min(area.right(), sceneX(*to)) : area.right();
    if (right <= left)
        return std::nullopt;
    return std::make_pair(left, right);
}

QRectF RangeChartView::captionRect() const
{
    const std::optional<std::pair<double, double>> shown = band();
    if (!shown)
        return {};
    // Inside the band at its top when it fits there, else beside it.
    const QRectF area = chart()->mapRectToScene(chart()->plotArea());
    const QSizeF text = QFontMetricsF(font()).size(0, bandCaption()) + QSizeF(8.0, 2.0);
    double left = shown->first;
    if (shown->second - shown->first < text.width())
        left = shown->second + text.width() <= area.right() ? shown->second
                                                            : shown->first - text.width();
    left = std::max(left, area.left());
    return mapFromScene(QRectF(QPointF(left, area.top()), text)).boundingRect();
}

void RangeChartView::setRange(std::optional<double> from, std::optional<double> to)
{
    m_from = from;
    m_to = to;
    scene()->update();
}

double RangeChartView::valueAt(const QPointF &position) const
{
    return chart()->mapToValue(chart()->mapFromScene(mapToScene(position.toPoint()))).x();
}

void RangeChartView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier)
        && chart()->plotArea().contains(
            chart()->mapFromScene(mapToScene(event->position().toPoint())))) {
        m_dragStart = valueAt(event->position());
        m_dragNow = *m_dragStart;
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void RangeChartView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragStart) {
        m_dragNow = valueAt(event->position());
        scene()->update();
        event->accept();
        return;
    }
    QChartView::mouseMoveEvent(event);
}

void RangeChartView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragStart && event->button() == Qt::LeftButton) {
        const double a = *m_dragStart;
        const double b = valueAt(event->position());
        m_dragStart.reset();
        scene()->update();
        event->accept();
        if (a != b)
            emit rangeChosen(std::min(a, b), std::max(a, b));
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

void RangeChartView::drawForeground(QPainter *painter, const QRectF &rect)
{
    QChartView::drawForeground(painter, rect);
    const std::optional<std::pair<double, double>> shown = band();
    if (!shown)
        return;
    const auto [left, right] = *shown;
    const QRectF area = chart()->mapRectToScene(chart()->plotArea());
    painter->save();
    painter->fillRect(QRectF(left, area.top(), right - left, area.height()),
        QColor(BandColour.red(), BandColour.green(), BandColour.blue(), 28));
    painter->setPen(QPen(BandColour, 1.0, Qt::DashLine));
    const bool dragging = m_dragStart.has_value();
    if (dragging || m_from)
        painter->drawLine(QPointF(left, area.top()), QPointF(left, area.bottom()));
    if (dragging || m_to)
        painter->drawLine(QPointF(right, area.top()), QPointF(right, area.bottom()));
    // The painter draws in scene coordinates here.
    const QRectF caption = mapToScene(captionRect().toRect()).boundingRect();
    painter->fillRect(caption, QColor(255, 255, 255, 200));
    painter->setPen(BandColour);
    painter->setFont(font());
    painter->drawText(caption, Qt::AlignCenter, bandCaption());
    painter->restore();
}
