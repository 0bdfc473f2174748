// SPDX-License-Identifier: GPL-3.0-or-later
// The curves of a run plot, drawn by one item over a chart's plot area in
// place of a line series each: Qt Charts strokes every series again on each
// change of an axis, which a hundred scans make slow. Each curve is a line
// for each stretch between its breaks (a stretch of one point a dot), in its
// colour; the dots of the points that are not good lie under them; the
// curve under the pointer is drawn wider and named through the handler.
#pragma once

#include "runwindows/ChartMap.h"
#include "runwindows/Overlay.h"

#include <QColor>
#include <QGraphicsItem>

#include <functional>
#include <vector>

class QChart;
class QValueAxis;

class CurvesItem : public QGraphicsItem
{
public:
    // Over `chart`'s plot area (a child of it), with its axes.
    CurvesItem(QChart *chart, QValueAxis *x, QValueAxis *y);

    // The curves drawn, held by the caller while shown.
    void setCurves(const std::vector<OverlayCurve> *curves);
    struct Dots {
        const std::vector<QPointF> *points = nullptr;
        QColor colour;
    };
    void setDots(std::vector<Dots> dots);
    // The scan drawn wider; -1 for none.
    void setHighlighted(int scan);
    // Told the scan under the pointer, or -1 when it leaves the curves.
    void setHoverHandler(std::function<void(int scan)> handler);

    ChartMap map() const;
    // The scan whose curve passes within `reach` pixels of `pixel` (in the
    // chart's coordinates), the nearest; -1 for none.
    int scanAt(const QPointF &pixel, double reach = 4.0) const;

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    void hoverMoveEvent(QGraphicsSceneHoverEvent *event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent *event) override;

private:
    QChart *m_chart;
    QValueAxis *m_x;
    QValueAxis *m_y;
    const std::vector<OverlayCurve> *m_curves = nullptr;
    std::vector<Dots> m_dots;
    int m_highlighted = -1;
    int m_hovered = -1;
    QRectF m_area;
    std::function<void(int)> m_hover;
};
