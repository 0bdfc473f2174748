#include "editor/PlotRender.h"

#include "editor/PlotGeometry.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>
#include <vector>

namespace
{

void drawText(QPainter &painter, const SurfaceMap &surface, const QFont &font, const PlotText &item)
{
    if (item.text.isEmpty())
        return;
    painter.setFont(font);
    const QPointF topLeft = surface.toPixel(item.topLeft);
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + QFontMetricsF(font).ascent()), item.text);
}

// A disc of radius `radius` pixels in `colour`, outlined one pixel wide in the
// same colour, centred on the image's centre.
QImage markerSprite(const QColor &colour, double radius)
{
    const int side = int(std::ceil(2.0 * radius)) + 3;
    QImage sprite(side, side, QImage::Format_ARGB32_Premultiplied);
    sprite.fill(Qt::transparent);
    QPainter painter(&sprite);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.0));
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(side / 2.0, side / 2.0), radius, radius);
    return sprite;
}

void drawMarkers(QPainter &painter, const PlotGeometry &plot, const std::vector<QPointF> &markers,
    const QColor &colour)
{
    if (markers.empty())
        return;
    const SurfaceMap &surface = plot.surface;
    const double radius = plot.markerRadius * surface.pixelsPerUnitX();
    if (painter.combinedTransform().type() <= QTransform::TxTranslate
        && painter.device()->devicePixelRatioF() == 1.0) {
        // One picture of the marker, copied to every point: far cheaper than
        // rasterising thousands of small circles.
        const QImage sprite = markerSprite(colour, radius);
        const double half = sprite.width() / 2.0;
        for (const QPointF &at : markers) {
            const QPointF pixel = surface.toPixel(at);
            painter.drawImage(
                QPointF(std::round(pixel.x() - half), std::round(pixel.y() - half)), sprite);
        }
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.0));
    painter.setBrush(colour);
    for (const QPointF &at : markers)
        painter.drawEllipse(surface.toPixel(at), radius, radius);
}

} // namespace

void RenderPlot(
    QPainter &painter, const PlotGeometry &plot, const QRectF &target, const QColor &background)
{
    const SurfaceMap &surface = plot.surface;
    const QSizeF pixels = plot.setup.pixels;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / pixels.width(), target.height() / pixels.height());
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRectF(QPointF(0, 0), pixels), background);

    const QRectF box(surface.toPixel({ 0, 100 }), surface.toPixel({ 100, 0 }));
    painter.fillRect(box, Qt::white);
    QPen line(Qt::black, 2.0);
    line.setJoinStyle(Qt::MiterJoin);
    painter.setPen(line);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    for (double x : plot.xTicks)
        painter.drawLine(surface.toPixel({ x, 0 }), surface.toPixel({ x, 2 }));
    for (double y : plot.yTicks)
        painter.drawLine(surface.toPixel({ 0, y }), surface.toPixel({ 2, y }));

    drawMarkers(painter, plot, plot.goodMarkers, plot.goodColour);
    drawMarkers(painter, plot, plot.deletedMarkers, plot.deletedColour);

    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::black);
    drawText(painter, surface, plot.titleFont, plot.xTitle);
    drawText(painter, surface, plot.titleFont, plot.title);
    drawText(painter, surface, plot.titleFont, plot.subtitle);
    for (const PlotText &label : plot.xLabels)
        drawText(painter, surface, plot.labelFont, label);

    if (!plot.yTitle.text.isEmpty()) {
        painter.save();
        painter.translate(surface.toPixel(plot.yTitle.topLeft));
        painter.rotate(-90.0);
        painter.setFont(plot.sideFont);
        painter.drawText(QPointF(0, QFontMetricsF(plot.sideFont).ascent()), plot.yTitle.text);
        painter.restore();
    }
    for (const PlotText &label : plot.yLabels)
        drawText(painter, surface, plot.labelFont, label);
    painter.restore();
}

QImage RenderPlotImage(const PlotGeometry &plot, const QColor &background)
{
    const QSize size = plot.setup.pixels.toSize();
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    RenderPlot(painter, plot, QRectF(QPointF(0, 0), plot.setup.pixels), background);
    return image;
}
