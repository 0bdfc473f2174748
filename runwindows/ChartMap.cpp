// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/ChartMap.h"

#include <cmath>

ChartMap::ChartMap(const QRectF &area, double xFrom, double xTo, double yFrom, double yTo)
    : m_area(area)
    , m_xFrom(xFrom)
    , m_yFrom(yFrom)
{
    m_valid = !area.isEmpty() && std::isfinite(xTo - xFrom) && std::isfinite(yTo - yFrom)
        && xTo != xFrom && yTo != yFrom;
    if (m_valid) {
        m_xScale = area.width() / (xTo - xFrom);
        m_yScale = area.height() / (yTo - yFrom);
    }
}

QPointF ChartMap::toPixel(const QPointF &value) const
{
    if (!m_valid)
        return m_area.topLeft();
    return { m_area.left() + (value.x() - m_xFrom) * m_xScale,
        m_area.bottom() - (value.y() - m_yFrom) * m_yScale };
}

QPointF ChartMap::toValue(const QPointF &pixel) const
{
    if (!m_valid)
        return { m_xFrom, m_yFrom };
    return { m_xFrom + (pixel.x() - m_area.left()) / m_xScale,
        m_yFrom + (m_area.bottom() - pixel.y()) / m_yScale };
}
