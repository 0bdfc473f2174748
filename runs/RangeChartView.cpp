// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RangeChartView.h"

#include <QChart>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

RangeChartView::RangeChartView(QChart *chart, QWidget *parent)
    : QChartView(chart, parent)
{
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
    std::optional<double> from = m_from;
    std::optional<double> to = m_to;
    if (m_dragStart) {
        from = std::min(*m_dragStart, m_dragNow);
        to = std::max(*m_dragStart, m_dragNow);
    }
    if (!from && !to)
        return;
    const QRectF area = chart()->mapRectToScene(chart()->plotArea());
    const auto sceneX = [this](double value) {
        return chart()->mapToScene(chart()->mapToPosition(QPointF(value, 0.0))).x();
    };
    const double left = from ? std::max(area.left(), sceneX(*from)) : area.left();
    const double right = to ? std::min(area.right(), sceneX(*to)) : area.right();
    if (right <= left)
        return;
    painter->save();
    painter->fillRect(
        QRectF(left, area.top(), right - left, area.height()), QColor(0, 90, 200, 28));
    painter->setPen(QPen(QColor(0, 90, 200), 1.0, Qt::DashLine));
    if (from)
        painter->drawLine(QPointF(left, area.top()), QPointF(left, area.bottom()));
    if (to)
        painter->drawLine(QPointF(right, area.top()), QPointF(right, area.bottom()));
    painter->restore();
}
