// The drawing surface of the Plotwork window. It keeps the plot as last
// computed (and a picture of it), draws it on every paint together with the
// zoom box, and reports mouse events in plot units. It computes nothing
// itself: PlotWindow decides what to draw and when.
#pragma once

#include "editor/PlotGeometry.h"

#include <QImage>
#include <QWidget>

#include <optional>

class PlotCanvas : public QWidget
{
    Q_OBJECT

public:
    // Mouse buttons and modifier keys as the handlers see them.
    static constexpr int LeftButton = 1;
    static constexpr int RightButton = 2;
    static constexpr int MiddleButton = 4;
    static constexpr int ShiftKey = 1;
    static constexpr int CtrlKey = 2;
    static constexpr int AltKey = 4;

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
    void mousePressed(int button, int shift, float x, float y);
    void mouseMoved(int button, int shift, float x, float y);
    void mouseReleased(int button, int shift, float x, float y);

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
