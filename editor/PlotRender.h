// SPDX-License-Identifier: GPL-3.0-or-later
// The one drawing routine of the plot: the window, images for the clipboard
// and bitmap files, and printed pages all go through RenderPlot.
#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>

class QPainter;
struct PlotGeometry;

// Draws `plot` so that its surface fills `target` of the painter's device:
// background, white box with its black frame, interior ticks, titles, tick
// labels, the rotated vertical title and, over them, the markers (removed over
// good). The painter's state is left as it was.
void RenderPlot(
    QPainter &painter, const PlotGeometry &plot, const QRectF &target, const QColor &background);

// The two layers of RenderPlot, for a window that keeps the first and redraws
// only the second where flags change: drawn in this order they give
// RenderPlot's picture.
void RenderPlotBase(
    QPainter &painter, const PlotGeometry &plot, const QRectF &target, const QColor &background);
// Markers as hollow circles, good ones first, removed ones over them; only
// those that reach into `clip` (pixels of the plot's surface; everything when
// empty), and nothing outside it.
void RenderMarkers(
    QPainter &painter, const PlotGeometry &plot, const QRectF &target, const QRectF &clip = {});

// The pixels of the plot's surface that a marker at `plot` (plot units) may
// touch, antialiasing included.
QRectF MarkerPixels(const PlotGeometry &geometry, QPointF plot);

// The plot at the pixel size it was computed for.
QImage RenderPlotImage(const PlotGeometry &plot, const QColor &background);
