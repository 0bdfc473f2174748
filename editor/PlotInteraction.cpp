// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PlotInteraction.h"

#include <utility>

void PlotInteraction::setMode(EditMode mode)
{
    m_mode = mode;
    if (mode != EditMode::Zoom && m_box.BoxDragging) {
        m_box.BoxDragging = false;
        m_box.BoxFresh = true;
    }
}

std::optional<QRectF> PlotInteraction::band() const
{
    if (!m_box.BoxDragging || m_box.BoxFresh)
        return std::nullopt;
    return QRectF(QPointF(m_box.BoxX1, m_box.BoxY1), QPointF(m_box.BoxX2, m_box.BoxY2));
}

void PlotInteraction::setPlot(const PlotMap &map, float hitRadius)
{
    m_map = map;
    m_hitRadius = hitRadius;
    m_hasPlot = true;
}

QPointF PlotInteraction::toPlot(QPointF pixel) const
{
    const QPointF at = m_surface.toPlot(pixel);
    return { double(float(at.x())), double(float(at.y())) };
}

QPointF PlotInteraction::toData(QPointF pixel) const
{
    const QPointF at = toPlot(pixel);
    return { double(m_map.toDataX(float(at.x()))), double(m_map.toDataY(float(at.y()))) };
}

PlotAction PlotInteraction::press(
    QPointF pixel, MouseButton button, ShiftState shift, const PlotSession &points)
{
    PlotAction action;
    if (shift != ShiftState::None || !m_hasPlot)
        return action;
    const QPointF at = toPlot(pixel);
    const float X = float(at.x());
    const float Y = float(at.y());
    switch (m_mode) {
    case EditMode::Zoom:
        if (button == MouseButton::Left) {
            m_box.BoxDragging = true;
            m_box.BoxFresh = true;
            m_box.BoxX1 = m_box.BoxX2 = X;
            m_box.BoxY1 = m_box.BoxY2 = Y;
        }
        break;
    case EditMode::RemovePoint:
    case EditMode::RestorePoint:
        if (button == MouseButton::Left) {
            action.point = pointAt(pixel, points);
            if (action.point != 0) {
                action.kind = PlotAction::Kind::EditPoint;
                action.change
                    = m_mode == EditMode::RemovePoint ? FlagChange::Remove : FlagChange::Restore;
            }
        }
        break;
    case EditMode::RemoveSide:
    case EditMode::RestoreSide:
        if (button == MouseButton::Left || button == MouseButton::Right) {
            action.kind = PlotAction::Kind::EditSide;
            action.left = button == MouseButton::Left;
            action.xc = m_map.toDataX(X);
            action.change
                = m_mode == EditMode::RemoveSide ? FlagChange::Remove : FlagChange::Restore;
        }
        break;
    }
    return action;
}

int PlotInteraction::pointAt(QPointF pixel, const PlotSession &points) const
{
    if (!m_hasPlot || (m_mode != EditMode::RemovePoint && m_mode != EditMode::RestorePoint))
        return 0;
    const QPointF at = toPlot(pixel);
    return PointAtCursor(points, m_map, float(at.x()), float(at.y()), m_hitRadius);
}

std::optional<float> PlotInteraction::sideAt(QPointF pixel) const
{
    if (!m_hasPlot || (m_mode != EditMode::RemoveSide && m_mode != EditMode::RestoreSide))
        return std::nullopt;
    return float(toPlot(pixel).x());
}

bool PlotInteraction::move(QPointF pixel)
{
    if (!m_hasPlot || !m_box.BoxDragging || m_mode != EditMode::Zoom)
        return false;
    const QPointF at = toPlot(pixel);
    m_box.BoxFresh = false;
    m_box.BoxX2 = float(at.x());
    m_box.BoxY2 = float(at.y());
    return true;
}

PlotAction PlotInteraction::release(MouseButton button, ShiftState shift)
{
    PlotAction action;
    if (m_mode != EditMode::Zoom || button != MouseButton::Left || shift != ShiftState::None
        || !m_box.BoxDragging)
        return action;
    m_box.BoxFresh = true;
    m_box.BoxDragging = false;
    if (m_box.BoxX1 == m_box.BoxX2 || m_box.BoxY1 == m_box.BoxY2)
        return action;

    DataBox &z = action.zoom;
    z.xa = m_map.toDataX(m_box.BoxX1);
    z.ya = m_map.toDataY(m_box.BoxY1);
    z.xb = m_map.toDataX(m_box.BoxX2);
    z.yb = m_map.toDataY(m_box.BoxY2);
    if (z.xa == z.xb || z.ya == z.yb)
        return action;
    if (z.xa > z.xb)
        std::swap(z.xa, z.xb);
    if (z.ya > z.yb)
        std::swap(z.ya, z.yb);
    // The box stays 1 % of the span inside the axes as last drawn.
    const float xMargin = 0.01f * (m_map.xEnd() - m_map.xStart());
    const float yMargin = 0.01f * (m_map.yEnd() - m_map.yStart());
    if (z.xa < m_map.xStart())
        z.xa = m_map.xStart() + xMargin;
    if (z.xb > m_map.xEnd())
        z.xb = m_map.xEnd() - xMargin;
    if (z.ya < m_map.yStart())
        z.ya = m_map.yStart() + yMargin;
    if (z.yb > m_map.yEnd())
        z.yb = m_map.yEnd() - yMargin;
    m_box.BoxX1 = m_box.BoxY1 = m_box.BoxX2 = m_box.BoxY2 = 0.0f;
    action.kind = PlotAction::Kind::Zoom;
    return action;
}
