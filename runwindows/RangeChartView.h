// SPDX-License-Identifier: GPL-3.0-or-later
// A chart view on which the range of the checks is chosen: a drag with
// Shift held marks [from, to] along the x axis (a plain drag still zooms),
// and the range set is shown as a band, with a caption that says it is
// the range of every setting's check. The chosen setting's solution column
// is drawn over it as four lines (the meniscus red, the fit limits green,
// the bottom blue); a plain drag that starts on a line moves that line
// alone, never past its neighbours, and its release sets the column.
#pragma once

#include "runs/SolutionColumn.h"

#include <QChartView>
#include <QStringList>

#include <array>
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

    // The lines of a column, from the inside out.
    enum class ColumnLine { Meniscus, Inner, Outer, Bottom };
    static constexpr int ColumnLines = 4;
    // The column drawn, or none.
    void setColumn(const std::optional<SolutionColumn> &column);
    const std::optional<SolutionColumn> &column() const { return m_column; }
    // "Meniscus 6.8082 cm", ...: each line's tool tip, from the inside out;
    // the view's accessible description names them all.
    QStringList lineNames() const;
    // Where a line is drawn, in view coordinates; none outside the plot.
    std::optional<double> lineX(ColumnLine line) const;
    // The line within reach of a view position, if any.
    std::optional<ColumnLine> lineAt(const QPointF &position) const;

signals:
    // A Shift-drag ended: the x values at its two ends, in rising order.
    void rangeChosen(double from, double to);
    // A line was dragged and let go: the column with it where it was let go.
    void columnMoved(const SolutionColumn &column);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;

private:
    double valueAt(const QPointF &position) const;
    double sceneX(double value) const;
    // Moves the line dragged to `value`, kept between its neighbours.
    void dragLineTo(double value);
    void describeLines();
    // The band shown (from, to in scene coordinates), if any.
    std::optional<std::pair<double, double>> band() const;

    std::optional<double> m_from;
    std::optional<double> m_to;
    std::optional<double> m_dragStart;
    double m_dragNow = 0.0;
    std::optional<SolutionColumn> m_column;
    std::optional<ColumnLine> m_dragLine;
    SolutionColumn m_dragStartColumn;
    QString m_plainTip;
};
