// SPDX-License-Identifier: GPL-3.0-or-later
// A chart view on which the range of the checks is chosen: a drag with
// Shift held marks [from, to] along the x axis (a plain drag still zooms),
// and the range set is shown as a band, with a caption that says it is
// the range of every setting's check.
#pragma once

#include <QChartView>

#include <optional>

class RangeChartView : public QChartView
{
    Q_OBJECT

public:
    explicit RangeChartView(QChart *chart, QWidget *parent = nullptr);

    // The band shown; nothing for either end leaves that side open.
    void setRange(std::optional<double> from, std::optional<double> to);
    std::optional<double> rangeFrom() const { return m_from; }
    std::optional<double> rangeTo() const { return m_to; }
    // The caption beside the band and where it is drawn (view coordinates);
    // empty while no band is shown.
    QString bandCaption() const;
    QRectF captionRect() const;

signals:
    // A Shift-drag ended: the x values at its two ends, in rising order.
    void rangeChosen(double from, double to);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;

private:
    double valueAt(const QPointF &position) const;
    // The band shown (from, to in scene coordinates), if any.
    std::optional<std::pair<double, double>> band() const;

    std::optional<double> m_from;
    std::optional<double> m_to;
    std::optional<double> m_dragStart;
    double m_dragNow = 0.0;
};
