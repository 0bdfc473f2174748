#include "editor/PlotRender.h"

#include "editor/PlotGeometry.h"

#include <QFontMetricsF>
#include <QPaintEngine>
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

// A circle of radius `radius` pixels, outlined one pixel wide in `colour`
// and hollow, centred on the image's centre.
QImage markerSprite(const QColor &colour, double radius)
{
    const int side = int(std::ceil(2.0 * radius)) + 3;
    QImage sprite(side, side, QImage::Format_ARGB32_Premultiplied);
    sprite.fill(Qt::transparent);
    QPainter painter(&sprite);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(side / 2.0, side / 2.0), radius, radius);
    return sprite;
}

// The sprites of the last paint: every paint of one window asks for the
// same two.
const QImage &cachedSprite(const QColor &colour, double radius)
{
    struct Entry {
        QRgb rgba = 0;
        double radius = -1.0;
        QImage sprite;
    };
    static Entry entries[2];
    static int next = 0;
    for (Entry &entry : entries)
        if (entry.radius == radius && entry.rgba == colour.rgba())
            return entry.sprite;
    Entry &entry = entries[next];
    next = 1 - next;
    entry = { colour.rgba(), radius, markerSprite(colour, radius) };
    return entry.sprite;
}

double markerPixels(const PlotGeometry &plot)
{
    return plot.markerRadius * plot.surface.pixelsPerUnitX();
}

void drawMarkers(QPainter &painter, const PlotGeometry &plot, const std::vector<QPointF> &markers,
    const QColor &colour, const QRectF &clip, const QRectF &inside)
{
    if (markers.empty())
        return;
    const SurfaceMap &surface = plot.surface;
    const double radius = markerPixels(plot);
    // A marker reaches this far from its centre, its pen and antialiasing
    // included.
    const double reach = radius + 2.0;
    auto outside = [&clip, reach](const QPointF &pixel) {
        return !clip.isEmpty()
            && (pixel.x() + reach < clip.left() || pixel.x() - reach > clip.right()
                || pixel.y() + reach < clip.top() || pixel.y() - reach > clip.bottom());
    };
    painter.save();
    painter.setClipRect(clip.isEmpty() ? inside : inside.intersected(clip), Qt::IntersectClip);
    // Vector devices (SVG, PDF) get real circles, not pictures of them.
    const bool raster
        = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
    if (raster && painter.combinedTransform().type() <= QTransform::TxTranslate
        && painter.device()->devicePixelRatioF() == 1.0) {
        // One picture of the marker, copied to every point: far cheaper than
        // rasterising thousands of small circles.
        const QImage &sprite = cachedSprite(colour, radius);
        const double half = sprite.width() / 2.0;
        for (const QPointF &at : markers) {
            const QPointF pixel = surface.toPixel(at);
            if (outside(pixel))
                continue;
            painter.drawImage(
                QPointF(std::round(pixel.x() - half), std::round(pixel.y() - half)), sprite);
        }
    } else {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(colour, 1.0));
        painter.setBrush(Qt::NoBrush);
        for (const QPointF &at : markers) {
            const QPointF pixel = surface.toPixel(at);
            if (!outside(pixel))
                painter.drawEllipse(pixel, radius, radius);
        }
    }
    painter.restore();
}

void drawMarkerLayer(QPainter &painter, const PlotGeometry &plot, const QRectF &clip)
{
    const QRectF inside = PlotBoxInside(plot);
    drawMarkers(painter, plot, plot.goodMarkers, plot.goodColour, clip, inside);
    drawMarkers(painter, plot, plot.deletedMarkers, plot.deletedColour, clip, inside);
}

// Scales the painter so that the plot's surface fills `target`.
void mapSurface(QPainter &painter, const PlotGeometry &plot, const QRectF &target)
{
    const QSizeF pixels = plot.setup.pixels;
    painter.translate(target.topLeft());
    painter.scale(target.width() / pixels.width(), target.height() / pixels.height());
}

QRectF boxPixels(const SurfaceMap &surface)
{
    return QRectF(surface.toPixel({ 0, 100 }), surface.toPixel({ 100, 0 }));
}

void drawFrame(QPainter &painter, const PlotGeometry &plot, const QColor &background)
{
    const SurfaceMap &surface = plot.surface;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRectF(QPointF(0, 0), plot.setup.pixels), background);

    const QRectF box = boxPixels(surface);
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
}

void drawTexts(QPainter &painter, const PlotGeometry &plot)
{
    const SurfaceMap &surface = plot.surface;
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
}

} // namespace

QRectF PlotBoxInside(const PlotGeometry &geometry)
{
    // The frame is two pixels wide across the box's edge: its inner pixel
    // lies inside the box.
    return boxPixels(geometry.surface).adjusted(1, 1, -1, -1);
}

QRectF MarkerPixels(const PlotGeometry &geometry, QPointF plot)
{
    const double reach = markerPixels(geometry) + 3.0;
    const QPointF centre = geometry.surface.toPixel(plot);
    return QRectF(centre.x() - reach, centre.y() - reach, 2.0 * reach, 2.0 * reach);
}

void RenderPlot(
    QPainter &painter, const PlotGeometry &plot, const QRectF &target, const QColor &background)
{
    painter.save();
    mapSurface(painter, plot, target);
    drawFrame(painter, plot, background);
    drawMarkerLayer(painter, plot, {});
    drawTexts(painter, plot);
    painter.restore();
}

void RenderPlotBase(
    QPainter &painter, const PlotGeometry &plot, const QRectF &target, const QColor &background)
{
    painter.save();
    mapSurface(painter, plot, target);
    drawFrame(painter, plot, background);
    drawTexts(painter, plot);
    painter.restore();
}

void RenderMarkers(
    QPainter &painter, const PlotGeometry &plot, const QRectF &target, const QRectF &clip)
{
    painter.save();
    mapSurface(painter, plot, target);
    drawMarkerLayer(painter, plot, clip);
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
