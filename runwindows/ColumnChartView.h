// SPDX-License-Identifier: GPL-3.0-or-later
// A chart of scans with the bounds of their sample columns: each column is
// a shaded band whose two edges carry handles, and a drag that starts on an
// edge moves it, never past its neighbours. A drag anywhere else zooms as
// in any chart.
#pragma once

#include "runs/Run.h"

#include <QChartView>

#include <vector>

class ColumnChartView : public QChartView
{
    Q_OBJECT

public:
    explicit ColumnChartView(QChart *chart, QWidget *parent = nullptr);

    void setColumns(const std::vector<RadiusRange> &columns);
    const std::vector<RadiusRange> &columns() const { return m_columns; }

    // Where edge `edge` (2k the start of column k, 2k + 1 its end) is drawn,
    // in the view's coordinates.
    QPointF handlePosition(int edge) const;

signals:
    // An edge was dragged to a new place.
    void columnsMoved();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;

private:
    double edgeValue(int edge) const;
    void setEdge(int edge, double value);
    int edgeAt(const QPointF &position) const;
    double valueAt(const QPointF &position) const;

    std::vector<RadiusRange> m_columns;
    int m_dragged = -1;
};
