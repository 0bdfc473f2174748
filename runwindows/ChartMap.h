// SPDX-License-Identifier: GPL-3.0-or-later
// The map between a chart's values and the pixels of its plot area (y
// grows downwards), as a value: what the run plots' own curves are drawn
// and hit through.
#pragma once

#include <QPointF>
#include <QRectF>

class ChartMap
{
public:
    ChartMap() = default;
    // `area` shows x from xFrom (its left) to xTo and y from yFrom (its
    // bottom) to yTo.
    ChartMap(const QRectF &area, double xFrom, double xTo, double yFrom, double yTo);

    // False for an empty area or an axis of no length: then every point
    // maps to the area's top left.
    bool isValid() const { return m_valid; }
    QPointF toPixel(const QPointF &value) const;
    QPointF toValue(const QPointF &pixel) const;

private:
    QRectF m_area;
    double m_xFrom = 0.0;
    double m_yFrom = 0.0;
    double m_xScale = 0.0; // pixels per unit
    double m_yScale = 0.0;
    bool m_valid = false;
};
