// The drawing surface of the Plotwork window. It keeps the plot as last
// computed (and a picture of it), draws it on every paint together with the
// zoom box, and reports mouse events in pixels. It computes nothing
// itself: PlotWindow decides what to draw and when.
#pragma once

#include "editor/PlotCodes.h"
#include "editor/PlotGeometry.h"

#include <QImage>
#include <QWidget>

#include <optional>

class PlotCanvas : public QWidget
{
    Q_OBJECT

public:
    explicit PlotCanvas(QWidget *parent = nullptr);

    void setPlot(PlotGeometry plot);
    const std::optional<PlotGeometry> &plot() const { return m_plot; }
    // The zoom box in plot units, or nothing.
    void setBand(std::optional<QRectF> band);
    // The plot as drawn in the window, without the zoom box.
    QImage plotImage();
    SurfaceMap surfaceMap() const { return SurfaceMap(QSizeF(size())); }

signals:
    void resized();
    void mousePressed(QPointF pixel, MouseButton button, ShiftState shift);
    void mouseMoved(QPointF pixel);
    void mouseReleased(QPointF pixel, MouseButton button, ShiftState shift);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    std::optional<PlotGeometry> m_plot;
    QImage m_picture; // m_plot drawn at the canvas' size; null when out of date
    std::optional<QRectF> m_band;
};
