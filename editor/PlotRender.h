// The one drawing routine of the plot: the window, images for the clipboard
// and bitmap files, and printed pages all go through RenderPlot.
#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>

class QPainter;
struct PlotGeometry;

// Draws `plot` so that its surface fills `target` of the painter's device:
// background, white box with its black frame, interior ticks, markers (removed
// over good), titles, tick labels and the rotated vertical title. The painter's
// state is left as it was.
void RenderPlot(
    QPainter &painter, const PlotGeometry &plot, const QRectF &target, const QColor &background);

// The plot at the pixel size it was computed for.
QImage RenderPlotImage(const PlotGeometry &plot, const QColor &background);
