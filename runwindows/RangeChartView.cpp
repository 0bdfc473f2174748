// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/RangeChartView.h"

#include <QChart>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

const QColor BandColour(0, 90, 200);
const QColor MeniscusColour(210, 30, 30);
const QColor LimitColour(20, 150, 40);
const QColor BottomColour(30, 60, 220);
constexpr double LineReach = 5.0; // pixels either side of a line that take it
// The least gap kept between two lines dragged together: one unit of the
// column dialog's last digit.
constexpr double LineGap = 1e-4; // cm

double &valueOf(SolutionColumn &column, RangeChartView::ColumnLine line)
{
    switch (line) {
    case RangeChartView::ColumnLine::Meniscus:
        return column.meniscus;
    case RangeChartView::ColumnLine::Inner:
        return column.inner;
    case RangeChartView::ColumnLine::Outer:
        return column.outer;
    case RangeChartView::ColumnLine::Bottom:
        break;
    }
    return column.bottom;
}

double valueOf(const SolutionColumn &column, RangeChartView::ColumnLine line)
{
    SolutionColumn copy = column;
    return valueOf(copy, line);
}

RangeChartView::ColumnLine lineOf(int k)
{
    return RangeChartView::ColumnLine(k);
}

QString captionOf(RangeChartView::ColumnLine line)
{
    switch (line) {
    case RangeChartView::ColumnLine::Meniscus:
        return QStringLiteral("Meniscus");
    case RangeChartView::ColumnLine::Inner:
        return QStringLiteral("Inner limit");
    case RangeChartView::ColumnLine::Outer:
        return QStringLiteral("Outer limit");
    case RangeChartView::ColumnLine::Bottom:
        break;
    }
    return QStringLiteral("Bottom");
}

QColor colourOf(RangeChartView::ColumnLine line)
{
    if (line == RangeChartView::ColumnLine::Meniscus)
        return MeniscusColour;
    if (line == RangeChartView::ColumnLine::Bottom)
        return BottomColour;
    return LimitColour;
}

} // namespace

RangeChartView::RangeChartView(QChart *chart, QWidget *parent)
    : QChartView(chart, parent)
{
    m_plainTip = QStringLiteral("Drag to zoom, right-click to zoom out; Shift+drag sets the range "
                                "of the check of every setting");
    setToolTip(m_plainTip);
    viewport()->setMouseTracking(true); // the tool tip of the line under the pointer
}

double RangeChartView::sceneX(double value) const
{
    return chart()->mapToScene(chart()->mapToPosition(QPointF(value, 0.0))).x();
}

void RangeChartView::setColumn(const std::optional<SolutionColumn> &column)
{
    m_column = column;
    m_dragLine.reset();
    describeLines();
    scene()->update();
}

QStringList RangeChartView::lineNames() const
{
    QStringList names;
    if (!m_column)
        return names;
    for (int k = 0; k < ColumnLines; ++k)
        names << QStringLiteral("%1 %2 cm")
                     .arg(captionOf(lineOf(k)))
                     .arg(valueOf(*m_column, lineOf(k)), 0, 'f', 4);
    return names;
}

void RangeChartView::describeLines()
{
    const QStringList names = lineNames();
    setAccessibleDescription(names.isEmpty()
            ? QString()
            : QStringLiteral("Solution column: ") + names.join(QStringLiteral(", ")));
}

std::optional<double> RangeChartView::lineX(ColumnLine line) const
{
    if (!m_column)
        return std::nullopt;
    const QRectF area = chart()->mapRectToScene(chart()->plotArea());
    const double x = sceneX(valueOf(*m_column, line));
    if (!(x >= area.left() && x <= area.right()))
        return std::nullopt;
    return mapFromScene(QPointF(x, area.center().y())).x();
}

std::optional<RangeChartView::ColumnLine> RangeChartView::lineAt(const QPointF &position) const
{
    if (!chart()->plotArea().contains(chart()->mapFromScene(mapToScene(position.toPoint()))))
        return std::nullopt;
    std::optional<ColumnLine> nearest;
    double distance = LineReach;
    for (int k = 0; k < ColumnLines; ++k) {
        const std::optional<double> x = lineX(lineOf(k));
        if (x && std::abs(*x - position.x()) <= distance) {
            distance = std::abs(*x - position.x());
            nearest = lineOf(k);
        }
    }
    return nearest;
}

void RangeChartView::dragLineTo(double value)
{
    SolutionColumn &column = *m_column;
    const int k = int(*m_dragLine);
    // The neighbours bound it: the meniscus stays inside the inner limit,
    // the inner inside the outer, the outer inside the bottom.
    const double low = k > 0 ? valueOf(column, lineOf(k - 1)) + LineGap : 0.0;
    const double high = k + 1 < ColumnLines ? valueOf(column, lineOf(k + 1)) - LineGap
                                            : std::numeric_limits<double>::max();
    valueOf(column, *m_dragLine) = ColumnRadius(std::clamp(value, low, std::max(low, high)));
    describeLines();
    scene()->update();
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
    if (event->button() == Qt::LeftButton && !(event->modifiers() & Qt::ShiftModifier)) {
        if (const std::optional<ColumnLine> line = lineAt(event->position())) {
            m_dragLine = line;
            m_dragStartColumn = *m_column;
            event->accept();
            return;
        }
    }
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
    if (m_dragLine) {
        dragLineTo(valueAt(event->position()));
        event->accept();
        return;
    }
    if (!m_dragStart && !(event->buttons() & Qt::LeftButton)) {
        const std::optional<ColumnLine> line = lineAt(event->position());
        setToolTip(line ? lineNames()[int(*line)] : m_plainTip);
        if (line)
            viewport()->setCursor(Qt::SplitHCursor);
        else
            viewport()->unsetCursor();
    }
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
    if (m_dragLine && event->button() == Qt::LeftButton) {
        dragLineTo(valueAt(event->position()));
        m_dragLine.reset();
        event->accept();
        if (!(*m_column == m_dragStartColumn))
            emit columnMoved(*m_column);
        return;
    }
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
    if (m_column) {
        const QRectF area = chart()->mapRectToScene(chart()->plotArea());
        painter->save();
        for (int k = 0; k < ColumnLines; ++k) {
            const double x = sceneX(valueOf(*m_column, lineOf(k)));
            if (!(x >= area.left() && x <= area.right()))
                continue;
            const bool dragged = m_dragLine && int(*m_dragLine) == k;
            painter->setPen(QPen(colourOf(lineOf(k)), dragged ? 2.5 : 1.5,
                lineOf(k) == ColumnLine::Inner || lineOf(k) == ColumnLine::Outer ? Qt::DashLine
                                                                                 : Qt::SolidLine));
            painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        }
        painter->restore();
    }
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
