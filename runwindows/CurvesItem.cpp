// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/CurvesItem.h"

#include <QChart>
#include <QGraphicsSceneHoverEvent>
#include <QPainter>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

// At most one pixel: the raster engine's fast path for lines.
constexpr qreal LineWidth = 1.0;
constexpr qreal HighlightWidth = 3.0;
constexpr qreal DotWidth = 3.0;
// The part of the segment from a to b inside `area` (Liang-Barsky); false
// when none is.
bool clipped(QPointF &a, QPointF &b, const QRectF &area)
{
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = { -dx, dx, -dy, dy };
    const double q[4]
        = { a.x() - area.left(), area.right() - a.x(), a.y() - area.top(), area.bottom() - a.y() };
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0)
                return false;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF from = a;
    a = from + t0 * QPointF(dx, dy);
    b = from + t1 * QPointF(dx, dy);
    return true;
}

// The visible parts of a stretch's line, each a polyline: clipped here, so
// that the painter strokes only what shows (a spike far off the axis would
// otherwise be stroked whole).
void drawClipped(
    QPainter &painter, const std::vector<QPointF> &pixels, const QRectF &area, QPolygonF &line)
{
    line.clear();
    for (size_t i = 1; i < pixels.size(); ++i) {
        QPointF a = pixels[i - 1], b = pixels[i];
        const bool whole = area.contains(a) && area.contains(b);
        if (!whole && !clipped(a, b, area)) {
            if (line.size() > 1)
                painter.drawPolyline(line);
            line.clear();
            continue;
        }
        if (line.isEmpty() || line.back() != a) {
            if (line.size() > 1)
                painter.drawPolyline(line);
            line.clear();
            line.append(a);
        }
        line.append(b);
        if (b != pixels[i]) { // left the area
            painter.drawPolyline(line);
            line.clear();
        }
    }
    if (line.size() > 1)
        painter.drawPolyline(line);
}

// The distance from p to the segment from a to b.
double distanceTo(const QPointF &p, const QPointF &a, const QPointF &b)
{
    const QPointF ab = b - a;
    const double length = QPointF::dotProduct(ab, ab);
    const double t
        = length > 0.0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length, 0.0, 1.0) : 0.0;
    const QPointF d = p - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

} // namespace

CurvesItem::CurvesItem(QChart *chart, QValueAxis *x, QValueAxis *y)
    : QGraphicsItem(chart)
    , m_chart(chart)
    , m_x(x)
    , m_y(y)
{
    setAcceptHoverEvents(true);
    setZValue(5.0); // over the grid and the series, under the notes
    QObject::connect(chart, &QChart::plotAreaChanged, chart, [this](const QRectF &area) {
        prepareGeometryChange();
        m_area = area;
    });
    for (QValueAxis *axis : { x, y })
        QObject::connect(axis, &QValueAxis::rangeChanged, chart, [this] { update(); });
    m_area = chart->plotArea();
}

void CurvesItem::setCurves(const std::vector<OverlayCurve> *curves)
{
    m_curves = curves;
    m_highlighted = -1;
    m_hovered = -1;
    update();
}

void CurvesItem::setDots(std::vector<Dots> dots)
{
    m_dots = std::move(dots);
    update();
}

void CurvesItem::setHighlighted(int scan)
{
    if (scan == m_highlighted)
        return;
    m_highlighted = scan;
    update();
}

void CurvesItem::setHoverHandler(std::function<void(int)> handler)
{
    m_hover = std::move(handler);
}

ChartMap CurvesItem::map() const
{
    return ChartMap(m_area, m_x->min(), m_x->max(), m_y->min(), m_y->max());
}

QRectF CurvesItem::boundingRect() const
{
    return m_area;
}

void CurvesItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const ChartMap to = map();
    if (!to.isValid())
        return;
    painter->save();
    painter->setClipRect(m_area);
    painter->setRenderHint(QPainter::Antialiasing);
    // A pen's width beyond the area, so lines end under the frame.
    const QRectF area
        = m_area.adjusted(-HighlightWidth, -HighlightWidth, HighlightWidth, HighlightWidth);
    QPolygonF line;
    std::vector<QPointF> pixels;
    for (const Dots &dots : m_dots) {
        if (!dots.points)
            continue;
        line.clear();
        for (const QPointF &p : *dots.points) {
            const QPointF at = to.toPixel(p);
            if (area.contains(at))
                line.append(at);
        }
        painter->setPen(QPen(dots.colour, DotWidth, Qt::SolidLine, Qt::RoundCap));
        painter->drawPoints(line);
    }
    if (m_curves) {
        const OverlayCurve *highlighted = nullptr;
        const auto draw = [&](const OverlayCurve &curve, qreal width) {
            for (const auto &[begin, end] : Stretches(curve)) {
                pixels.clear();
                for (size_t i = begin; i < end; ++i)
                    pixels.push_back(to.toPixel(curve.points[i]));
                if (pixels.size() == 1) {
                    painter->setPen(
                        QPen(curve.colour, std::max(width, DotWidth), Qt::SolidLine, Qt::RoundCap));
                    if (area.contains(pixels.front()))
                        painter->drawPoint(pixels.front());
                    continue;
                }
                QPen pen(curve.colour, width);
                pen.setCosmetic(true);
                painter->setPen(pen);
                drawClipped(*painter, pixels, area, line);
            }
        };
        for (const OverlayCurve &curve : *m_curves) {
            if (curve.scan == m_highlighted)
                highlighted = &curve;
            else
                draw(curve, LineWidth);
        }
        if (highlighted) // on top of the others
            draw(*highlighted, HighlightWidth);
    }
    painter->restore();
}

int CurvesItem::scanAt(const QPointF &pixel, double reach) const
{
    const ChartMap to = map();
    if (!m_curves || !to.isValid())
        return -1;
    int nearest = -1;
    double best = reach;
    for (const OverlayCurve &curve : *m_curves) {
        for (const auto &[begin, end] : Stretches(curve)) {
            QPointF before = to.toPixel(curve.points[begin]);
            double d = std::hypot(before.x() - pixel.x(), before.y() - pixel.y());
            for (size_t i = begin + 1; i < end; ++i) {
                const QPointF at = to.toPixel(curve.points[i]);
                d = std::min(d, distanceTo(pixel, before, at));
                before = at;
            }
            if (d <= best) {
                best = d;
                nearest = curve.scan;
            }
        }
    }
    return nearest;
}

void CurvesItem::hoverMoveEvent(QGraphicsSceneHoverEvent *event)
{
    const int scan = scanAt(mapToParent(event->pos()));
    if (scan != m_hovered) {
        m_hovered = scan;
        if (m_hover)
            m_hover(scan);
    }
    QGraphicsItem::hoverMoveEvent(event);
}

void CurvesItem::hoverLeaveEvent(QGraphicsSceneHoverEvent *event)
{
    if (m_hovered != -1) {
        m_hovered = -1;
        if (m_hover)
            m_hover(-1);
    }
    QGraphicsItem::hoverLeaveEvent(event);
}
