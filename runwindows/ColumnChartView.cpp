// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/ColumnChartView.h"

#include <QChart>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace
{

constexpr double GrabDistance = 6.0; // pixels either side of an edge
constexpr double HandleSize = 10.0; // pixels
constexpr double LeastWidth = 0.002; // cm a column keeps
constexpr double LeastGap = 0.001; // cm between two columns, so no point falls in both

} // namespace

ColumnChartView::ColumnChartView(QChart *chart, QWidget *parent)
    : QChartView(chart, parent)
{
    setMouseTracking(true);
}

void ColumnChartView::setColumns(const std::vector<RadiusRange> &columns)
{
    m_columns = columns;
    scene()->update();
}

double ColumnChartView::edgeValue(int edge) const
{
    const RadiusRange &column = m_columns[size_t(edge / 2)];
    return edge % 2 == 0 ? column.from : column.to;
}

void ColumnChartView::setEdge(int edge, double value)
{
    // Between the edges either side, each column keeping a little width.
    const int edges = int(m_columns.size()) * 2;
    const double low
        = edge > 0 ? edgeValue(edge - 1) + (edge % 2 == 1 ? LeastWidth : LeastGap) : -INFINITY;
    const double high = edge + 1 < edges
        ? edgeValue(edge + 1) - (edge % 2 == 0 ? LeastWidth : LeastGap)
        : INFINITY;
    value = std::clamp(value, low, high);
    RadiusRange &column = m_columns[size_t(edge / 2)];
    (edge % 2 == 0 ? column.from : column.to) = value;
}

QPointF ColumnChartView::handlePosition(int edge) const
{
    const QPointF scene = chart()->mapToScene(chart()->mapToPosition(QPointF(edgeValue(edge), 0)));
    const QRectF area = chart()->mapRectToScene(chart()->plotArea());
    return mapFromScene(QPointF(scene.x(), area.top() + HandleSize / 2.0));
}

double ColumnChartView::valueAt(const QPointF &position) const
{
    return chart()->mapToValue(chart()->mapFromScene(mapToScene(position.toPoint()))).x();
}

int ColumnChartView::edgeAt(const QPointF &position) const
{
    int nearest = -1;
    double best = GrabDistance;
    for (int edge = 0; edge < int(m_columns.size()) * 2; ++edge) {
        const double distance = std::fabs(handlePosition(edge).x() - position.x());
        if (distance <= best) {
            best = distance;
            nearest = edge;
        }
    }
    return nearest;
}

void ColumnChartView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragged = edgeAt(event->position());
        if (m_dragged >= 0) {
            event->accept();
            return;
        }
    }
    QChartView::mousePressEvent(event);
}

void ColumnChartView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragged >= 0) {
        setEdge(m_dragged, valueAt(event->position()));
        scene()->update();
        event->accept();
        return;
    }
    setCursor(edgeAt(event->position()) >= 0 ? Qt::SizeHorCursor : Qt::ArrowCursor);
    QChartView::mouseMoveEvent(event);
}

void ColumnChartView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragged >= 0 && event->button() == Qt::LeftButton) {
        setEdge(m_dragged, valueAt(event->position()));
        m_dragged = -1;
        scene()->update();
        event->accept();
        emit columnsMoved();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

void ColumnChartView::drawForeground(QPainter *painter, const QRectF &rect)
{
    QChartView::drawForeground(painter, rect);
    if (m_columns.empty())
        return;
    const QRectF area = chart()->mapRectToScene(chart()->plotArea());
    const auto sceneX = [this](double value) {
        return chart()->mapToScene(chart()->mapToPosition(QPointF(value, 0.0))).x();
    };
    painter->save();
    const QColor edgeColour(200, 90, 0);
    for (const RadiusRange &column : m_columns) {
        const double left = std::max(area.left(), sceneX(column.from));
        const double right = std::min(area.right(), sceneX(column.to));
        if (right > left)
            painter->fillRect(
                QRectF(left, area.top(), right - left, area.height()), QColor(200, 90, 0, 24));
        painter->setPen(QPen(edgeColour, 1.5));
        for (double edge : { sceneX(column.from), sceneX(column.to) }) {
            if (edge < area.left() || edge > area.right())
                continue;
            painter->drawLine(QPointF(edge, area.top()), QPointF(edge, area.bottom()));
            painter->fillRect(
                QRectF(edge - HandleSize / 2, area.top(), HandleSize, HandleSize), edgeColour);
        }
    }
    painter->restore();
}
