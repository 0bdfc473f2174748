// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing surface of the Plotwork window. It keeps the plot as last
// computed and two pictures of it (the axes and texts alone, and the whole
// plot), draws them on every paint together with what follows the pointer
// (the zoom box, the ring around the point a click would change, the line
// where a side click would split) and the rings of suggested bad points, and
// reports mouse events in pixels. It
// computes nothing itself: PlotWindow decides what to draw and when.
#pragma once

#include "editor/PlotCodes.h"
#include "editor/PlotGeometry.h"

#include <QImage>
#include <QWidget>

#include <optional>
#include <vector>

class PlotCanvas : public QWidget
{
    Q_OBJECT

public:
    explicit PlotCanvas(QWidget *parent = nullptr);

    void setPlot(PlotGeometry plot);
    // The same plot with other flags: only the markers at `changed` (plot
    // units, as drawn before and after) are drawn again over the kept axes.
    void setMarkers(PlotGeometry plot, const std::vector<QPointF> &changed);
    const std::optional<PlotGeometry> &plot() const { return m_plot; }
    // The zoom box in plot units, or nothing.
    void setBand(std::optional<QRectF> band);
    // The ring around the point under the pointer (plot units) and the tool
    // tip that describes it; nothing and "" for none.
    void setRing(std::optional<QPointF> centre, const QString &tip);
    const std::optional<QPointF> &ring() const { return m_ring; }
    // Rings around the suggested bad points (plot units). Like the pointer's
    // ring they are drawn on the screen only, over the plot box, never into
    // plotImage(): they mark candidates, not data.
    void setSuggestRings(std::vector<QPointF> centres);
    const std::vector<QPointF> &suggestRings() const { return m_suggestRings; }
    double suggestRingRadius() const;
    // The vertical line at the pointer's abscissa (plot units), or nothing.
    void setSideLine(std::optional<float> x);
    const std::optional<float> &sideLine() const { return m_sideLine; }
    // The plot as drawn in the window, without what follows the pointer.
    QImage plotImage();
    SurfaceMap surfaceMap() const { return SurfaceMap(QSizeF(size())); }

signals:
    void resized();
    void mousePressed(QPointF pixel, MouseButton button, ShiftState shift);
    void mouseMoved(QPointF pixel);
    void mouseReleased(QPointF pixel, MouseButton button, ShiftState shift);
    void left();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    // The radius of a ring `gap` pixels outside a marker, and the pixels it
    // may touch around `centre` (plot units).
    double ringRadius(double gap) const;
    QRect ringPixels(QPointF centre, double gap) const;
    QRect sideLinePixels(float x) const;
    void drawSuggestRings(QPainter &painter, const QRect &dirty);
    bool pictureCurrent() const;

    std::optional<PlotGeometry> m_plot;
    // m_plot drawn at the canvas' size without markers, and with them; null
    // when out of date.
    QImage m_base;
    QImage m_picture;
    std::optional<QRectF> m_band;
    std::optional<QPointF> m_ring;
    std::optional<float> m_sideLine;
    std::vector<QPointF> m_suggestRings;
    // One picture of the suggestion ring, stamped at every centre; made again
    // only when the marker size or the device's pixel ratio changes.
    QImage m_ringSprite;
    double m_ringSpriteRadius = -1.0;
};
