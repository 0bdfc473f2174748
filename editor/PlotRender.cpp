// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PlotRender.h"

#include "editor/MarkerStamp.h"
#include "editor/PlotGeometry.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>

#include <cmath>
#include <optional>
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

// A raster painter that only moves what it draws: rectangles and pictures
// land on whole pixels as they are.
bool wholePixels(QPainter &painter)
{
    return painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster
        && painter.combinedTransform().type() <= QTransform::TxTranslate;
}

struct Sprite {
    QRgb rgba = 0;
    double radius = -1.0;
    QImage image;
    MarkerStamp stamp;
};

// The sprites of the last paint: every paint of one window asks for the
// same two.
const Sprite &cachedSprite(const QColor &colour, double radius)
{
    static Sprite entries[2];
    static int older = 0;
    for (int k = 0; k < 2; ++k) {
        if (entries[k].radius == radius && entries[k].rgba == colour.rgba()) {
            older = 1 - k;
            return entries[k];
        }
    }
    Sprite &entry = entries[older];
    older = 1 - older;
    QImage image = markerSprite(colour, radius);
    entry = { colour.rgba(), radius, image, MarkerStamp(image) };
    return entry;
}

// The device rectangle the raster engine fills, or clips to, for `rect`.
QRect fillRect(const QRectF &rect)
{
    const int x1 = qRound(rect.left());
    const int y1 = qRound(rect.top());
    const int x2 = qRound(rect.right());
    const int y2 = qRound(rect.bottom());
    return QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1));
}

// A painter whose pixels may be written directly: on an image of a format
// the stamps blend into, one pixel per pixel, moved by whole pixels only,
// without clip, opacity or another composition.
struct DirectTarget {
    QImage *image = nullptr;
    int dx = 0;
    int dy = 0;
};

std::optional<DirectTarget> directTarget(QPainter &painter)
{
    QPaintDevice *device = painter.device();
    if (!device || device->devType() != QInternal::Image)
        return std::nullopt;
    auto *image = static_cast<QImage *>(device);
    const QTransform transform = painter.combinedTransform();
    if ((image->format() != QImage::Format_RGB32
            && image->format() != QImage::Format_ARGB32_Premultiplied)
        || !image->isDetached() || image->devicePixelRatio() != 1.0 || painter.hasClipping()
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver
        || painter.opacity() != 1.0 || transform.type() > QTransform::TxTranslate
        || transform.dx() != std::round(transform.dx())
        || transform.dy() != std::round(transform.dy()))
        return std::nullopt;
    return DirectTarget { image, int(transform.dx()), int(transform.dy()) };
}

// The device pixels of the top left corners of the sprites of `markers`
// that reach into `box`.
std::vector<QPoint> spriteCorners(const SurfaceMap &surface, const std::vector<QPointF> &markers,
    const Sprite &sprite, const DirectTarget &target, const QRect &box)
{
    const int side = sprite.image.width();
    const double half = side / 2.0;
    std::vector<QPoint> corners;
    corners.reserve(markers.size());
    for (const QPointF &at : markers) {
        const QPointF pixel = surface.toPixel(at);
        const double left = std::round(pixel.x() - half) + target.dx;
        const double top = std::round(pixel.y() - half) + target.dy;
        // Written so that a centre that is not a number is skipped too.
        if (left <= box.right() && top <= box.bottom() && left + side > box.left()
            && top + side > box.top())
            corners.emplace_back(int(left), int(top));
    }
    return corners;
}

// Copies the sprite to every marker straight into the image's pixels,
// clipped to `clip` (the surface's pixels). Returns false, having drawn
// nothing, where the painter is not a direct target; the caller draws then.
bool stampMarkers(QPainter &painter, const SurfaceMap &surface, const std::vector<QPointF> &markers,
    const Sprite &sprite, const QRectF &clip)
{
    const std::optional<DirectTarget> target = directTarget(painter);
    if (!target)
        return false;
    QImage &image = *target->image;
    const QRect box = fillRect(clip.translated(target->dx, target->dy)).intersected(image.rect());
    if (box.isEmpty())
        return true;
    uchar *const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (const QPoint &corner : spriteCorners(surface, markers, sprite, *target, box))
        sprite.stamp.stamp(bits, stride, corner.x(), corner.y(), box);
    return true;
}

double markerPixels(const PlotGeometry &plot)
{
    return plot.markerRadius * plot.surface.pixelsPerUnitX();
}

void drawMarkers(QPainter &painter, const PlotGeometry &plot, const std::vector<QPointF> &markers,
    const QColor &colour, const QRectF &clip)
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
    // Markers are drawn whole, also where they reach over the frame: a point
    // on the box's edge is data like any other.
    const QRectF area = clip.isEmpty() ? QRectF(QPointF(0, 0), plot.setup.pixels) : clip;
    // Vector devices (SVG, PDF) get real circles, not pictures of them.
    const bool pictures = wholePixels(painter) && painter.device()->devicePixelRatioF() == 1.0;
    if (pictures && stampMarkers(painter, surface, markers, cachedSprite(colour, radius), area))
        return;
    painter.save();
    if (!clip.isEmpty())
        painter.setClipRect(clip, Qt::IntersectClip);
    if (pictures) {
        // One picture of the marker, copied to every point: far cheaper than
        // rasterising thousands of small circles.
        const QImage &sprite = cachedSprite(colour, radius).image;
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
    drawMarkers(painter, plot, plot.goodMarkers, plot.goodColour, clip);
    drawMarkers(painter, plot, plot.deletedMarkers, plot.deletedColour, clip);
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
    const QRectF box = boxPixels(surface);
    const QSizeF size = plot.setup.pixels;
    if (wholePixels(painter)) {
        // The background around the box only: the box is most of the
        // surface. Where rectangles are not cut to whole pixels (pages,
        // vector files) the edges of strips could show, so those get one
        // fill.
        painter.fillRect(QRectF(0, 0, size.width(), box.top()), background);
        painter.fillRect(
            QRectF(0, box.bottom(), size.width(), size.height() - box.bottom()), background);
        painter.fillRect(QRectF(0, box.top(), box.left(), box.height()), background);
        painter.fillRect(
            QRectF(box.right(), box.top(), size.width() - box.right(), box.height()), background);
    } else {
        painter.fillRect(QRectF(QPointF(0, 0), size), background);
    }
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
    // The markers last, as the window draws them over its kept axes and
    // texts: the same picture either way.
    drawFrame(painter, plot, background);
    drawTexts(painter, plot);
    drawMarkerLayer(painter, plot, {});
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
