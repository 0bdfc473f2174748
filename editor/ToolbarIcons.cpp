// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace
{

const QColor Good(0, 127, 0);
const QColor Removed(220, 0, 0);
const QColor Ink(40, 40, 40);

// Widths are in the 32-pixel design; the painter scales them for 16 pixels.
QPen pen(const QColor &colour, double width)
{
    QPen p(colour, width);
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    return p;
}

void dot(QPainter &p, const QColor &colour, QPointF centre, double radius)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(centre, radius, radius);
}

void cross(QPainter &p, const QColor &colour, QPointF centre, double half, double width)
{
    p.setPen(pen(colour, width));
    p.drawLine(centre + QPointF(-half, -half), centre + QPointF(half, half));
    p.drawLine(centre + QPointF(-half, half), centre + QPointF(half, -half));
}

// An arrow along y = `y` from x0 towards x1 with its head at x1.
void arrow(QPainter &p, const QColor &colour, double x0, double x1, double y, double width)
{
    p.setPen(pen(colour, width));
    p.drawLine(QPointF(x0, y), QPointF(x1, y));
    const double head = x1 > x0 ? -5.0 : 5.0;
    p.drawLine(QPointF(x1, y), QPointF(x1 + head, y - 4.5));
    p.drawLine(QPointF(x1, y), QPointF(x1 + head, y + 4.5));
}

// The side modes: a cursor line in the middle, arrows to both sides and a
// point on each side.
void sides(QPainter &p, const QColor &points, bool removing)
{
    p.setPen(pen(Ink, 2.0));
    p.drawLine(QPointF(16, 3), QPointF(16, 29));
    arrow(p, Ink, 13, 3, 9, 2.2);
    arrow(p, Ink, 19, 29, 9, 2.2);
    for (double x : { 6.0, 26.0 }) {
        dot(p, points, QPointF(x, 22), 4.5);
        if (removing)
            cross(p, Removed, QPointF(x, 22), 5.5, 3.0);
    }
}

void drawPicture(QPainter &p, int picture)
{
    switch (picture) {
    case 1: { // zoom: a dashed box under a magnifying glass
        QPen box(Removed, 1.6);
        box.setStyle(Qt::DashLine);
        p.setPen(box);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3, 3, 17, 15));
        p.setPen(pen(Ink, 2.6));
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawEllipse(QPointF(15, 14), 8, 8);
        p.setPen(pen(Ink, 4.5));
        p.drawLine(QPointF(21, 20), QPointF(29, 28));
        p.setPen(pen(Ink, 2.2));
        p.drawLine(QPointF(11, 14), QPointF(19, 14));
        p.drawLine(QPointF(15, 10), QPointF(15, 18));
        break;
    }
    case 2: // remove the point at the cursor
        dot(p, Good, QPointF(16, 16), 8);
        cross(p, Removed, QPointF(16, 16), 11, 4.0);
        break;
    case 3:
        sides(p, Good, true);
        break;
    case 4: { // restore the point at the cursor: a point with a plus
        dot(p, Good, QPointF(14, 18), 8);
        p.setPen(pen(Good, 4.0));
        p.drawLine(QPointF(25, 3), QPointF(25, 13));
        p.drawLine(QPointF(20, 8), QPointF(30, 8));
        break;
    }
    case 5:
        sides(p, Good, false);
        break;
    case 6: { // exit and update: a white tick on a green disc, like no mode's picture
        p.setPen(Qt::NoPen);
        p.setBrush(Good);
        p.drawRoundedRect(QRectF(2, 2, 28, 28), 7, 7);
        QPainterPath tick;
        tick.moveTo(8, 16.5);
        tick.lineTo(13.5, 22.5);
        tick.lineTo(24, 9);
        p.setPen(pen(Qt::white, 4.0));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
        break;
    }
    case 7: { // discard and exit: an arrow out of an open door, grey and red
        const QColor door(120, 120, 120);
        p.setPen(pen(door, 2.4));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({ QPointF(15, 9), QPointF(15, 3), QPointF(4, 3), QPointF(4, 29),
            QPointF(15, 29), QPointF(15, 23) }));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(170, 170, 170));
        p.drawPolygon(
            QPolygonF({ QPointF(4, 3), QPointF(12, 7), QPointF(12, 31), QPointF(4, 29) }));
        arrow(p, Removed, 10, 29, 16, 3.4);
        break;
    }
    default:
        break;
    }
}

} // namespace

QPixmap ToolbarPixmap(int picture, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    drawPicture(painter, picture);
    return pixmap;
}

QIcon ToolbarIcon(int picture)
{
    QIcon icon;
    for (int size : { 16, 24, 32, 48 })
        icon.addPixmap(ToolbarPixmap(picture, size));
    return icon;
}
