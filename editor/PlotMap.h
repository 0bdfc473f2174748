// SPDX-License-Identifier: GPL-3.0-or-later
// The two maps of the plot editor, as small values that need no widget.
//
// Plot units are the user coordinate system of the Plotwork window: x runs
// from -25 at the left edge of the drawing surface to 120 at the right edge,
// y from 130 at the top edge down to -25 at the bottom edge, and the plot box
// is the square 0..100 x 0..100. PlotMap turns data values into plot units
// and back (single precision, as the mouse handlers compute); SurfaceMap
// turns plot units into pixels of a drawing surface and back.
#pragma once

#include <QPointF>
#include <QSizeF>

// Data values <-> plot units: the data point (x, y) lies at
// ((x - xStart) * xScale, (y - yStart) * yScale). The axis ends are the data
// values at the right and top edges of the plot box, as drawn.
class PlotMap
{
public:
    PlotMap() = default;
    PlotMap(float xStart, float xEnd, float xScale, float yStart, float yEnd, float yScale)
        : m_xStart(xStart)
        , m_xEnd(xEnd)
        , m_xScale(xScale)
        , m_yStart(yStart)
        , m_yEnd(yEnd)
        , m_yScale(yScale)
    {
    }

    float toPlotX(float x) const { return (x - m_xStart) * m_xScale; }
    float toPlotY(float y) const { return (y - m_yStart) * m_yScale; }
    float toDataX(float X) const { return X / m_xScale + m_xStart; }
    float toDataY(float Y) const { return Y / m_yScale + m_yStart; }

    QPointF toPlot(float x, float y) const { return { toPlotX(x), toPlotY(y) }; }

    float xStart() const { return m_xStart; }
    float xEnd() const { return m_xEnd; }
    float xScale() const { return m_xScale; }
    float yStart() const { return m_yStart; }
    float yEnd() const { return m_yEnd; }
    float yScale() const { return m_yScale; }

private:
    float m_xStart = 0.0f;
    float m_xEnd = 100.0f;
    float m_xScale = 1.0f;
    float m_yStart = 0.0f;
    float m_yEnd = 100.0f;
    float m_yScale = 1.0f;
};

// Plot units <-> pixels of a surface of the given size.
class SurfaceMap
{
public:
    static constexpr double Left = -25.0;
    static constexpr double Width = 145.0;
    static constexpr double Top = 130.0;
    static constexpr double Height = 155.0;

    SurfaceMap() = default;
    explicit SurfaceMap(QSizeF pixels)
        : m_pixels(pixels)
    {
    }

    QSizeF pixels() const { return m_pixels; }

    double toPixelX(double X) const { return (X - Left) * m_pixels.width() / Width; }
    double toPixelY(double Y) const { return (Top - Y) * m_pixels.height() / Height; }
    QPointF toPixel(QPointF plot) const { return { toPixelX(plot.x()), toPixelY(plot.y()) }; }
    QPointF toPlot(QPointF pixel) const
    {
        return { Left + pixel.x() * Width / m_pixels.width(),
            Top - pixel.y() * Height / m_pixels.height() };
    }

    // Lengths: pixels per plot unit along each axis, and back.
    double pixelsPerUnitX() const { return m_pixels.width() / Width; }
    double pixelsPerUnitY() const { return m_pixels.height() / Height; }
    double unitsX(double pixels) const { return pixels * Width / m_pixels.width(); }
    double unitsY(double pixels) const { return pixels * Height / m_pixels.height(); }

private:
    QSizeF m_pixels { Width, Height };
};
