// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PlotGeometry.h"

#include "core/NumLib.h"
#include "core/NumberFormat.h"
#include "core/PlotSession.h"

#include <QFontMetrics>
#include <QFontMetricsF>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace
{

// More intervals than any tidy axis has; a library answer beyond it is not
// used.
constexpr int MaxIntervals = 200;

float clampToFloat(double v)
{
    return float(std::clamp(v, -double(FLT_MAX), double(FLT_MAX)));
}

int exponentValue(const QString &exponent)
{
    int value = 0;
    for (const QChar c : exponent)
        if (c.isDigit())
            value = value * 10 + c.digitValue();
    return exponent.startsWith(QLatin1Char('-')) ? -value : value;
}

int pointsToPixels(int points, double dpi)
{
    return std::max(1, RoundEven(points * dpi / 72.0));
}

bool withinAxes(const PlotGeometry &g, float x, float y)
{
    return g.x.start <= x && x <= g.x.end && g.y.start <= y && y <= g.y.end;
}

// An axis as wide as the floats themselves leaves its ends nowhere.
bool drawable(QPointF at)
{
    return std::isfinite(at.x()) && std::isfinite(at.y());
}

} // namespace

int RoundEven(double value)
{
    if (!std::isfinite(value))
        return 0;
    return int(std::clamp(std::nearbyint(value), -1e9, 1e9));
}

QFont PlotFont(int pixelSize)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setBold(true);
    font.setPixelSize(std::max(1, pixelSize));
    return font;
}

QString AxisExponent(float a, float b)
{
    float v = a;
    if (std::fabs(b) < std::fabs(a))
        v = b;
    if (a == 0.0f)
        v = b;
    else if (b == 0.0f)
        v = a;
    if (!std::isfinite(v))
        return QStringLiteral("+00");
    QString text = NumberFormat::text(v, NumberFormat::Scientific2Plus).mid(6);
    if (text == QLatin1String("+01") || text == QLatin1String("-01"))
        text = QStringLiteral("+00");
    return text;
}

AxisLayout LayoutAxis(NumLib &numlib, float &min, float &max, int titleGap)
{
    AxisLayout axis;
    float start = -2.0f;
    float end = 2.0f;
    int32_t count = 4;
    if (min == max) {
        axis.identical = true;
        const float v = min;
        if (v != 0.0f) {
            if (v > 0.0f) {
                min = v / 2.0f;
                max = clampToFloat(2.0 * double(v));
            } else {
                min = clampToFloat(2.0 * double(v));
                max = v / 2.0f;
            }
            numlib.tkrnd2(min, max, start, end, count);
        }
    } else {
        numlib.tkrnd2(min, max, start, end, count);
    }
    if (!std::isfinite(start) || !std::isfinite(end) || !(start < end) || count < 1
        || count > MaxIntervals) {
        // Only a library outside its contract gets here: show the range itself.
        const bool usable = std::isfinite(min) && std::isfinite(max) && min < max;
        start = usable ? min : -2.0f;
        end = usable ? max : 2.0f;
        count = usable ? 1 : 4;
    }
    axis.start = start;
    axis.end = end;
    axis.ticks = count + 1;
    axis.step = (double(end) - double(start)) / (axis.ticks - 1);
    axis.scale = clampToFloat(100.0 / (double(end) - double(start)));
    axis.exponent = AxisExponent(start, end);
    axis.divisor = std::pow(10.0, exponentValue(axis.exponent));
    if (axis.exponent != QLatin1String("+00"))
        axis.suffix = QString(titleGap, QLatin1Char(' ')) + QStringLiteral("(10^") + axis.exponent
            + QLatin1Char(')');
    return axis;
}

bool ShowsPoint(const PlotGeometry &g, float x, float y)
{
    return withinAxes(g, x, y) && drawable(g.map.toPlot(x, y));
}

void PlaceMarkers(PlotGeometry &g, const PlotSession &session)
{
    g.goodMarkers.clear();
    g.deletedMarkers.clear();
    const int count = std::clamp<int>(session.PlotCount, 0, PlotCapacity);
    for (int i = 1; i <= count; ++i) {
        const float x = session.PlotX(i);
        const float y = session.PlotY(i);
        if (!withinAxes(g, x, y))
            continue;
        const QPointF at = g.map.toPlot(x, y);
        if (!drawable(at))
            continue;
        (session.PlotFlag(i) > 0.0f ? g.goodMarkers : g.deletedMarkers).push_back(at);
    }
}

PlotGeometry ComputePlotGeometry(PlotSession &session, NumLib &numlib, const PlotSetup &setup)
{
    PlotGeometry g;
    g.setup = setup;
    g.setup.pixels
        = QSizeF(std::max(1.0, setup.pixels.width()), std::max(1.0, setup.pixels.height()));
    g.surface = SurfaceMap(g.setup.pixels);
    const SurfaceMap &surface = g.surface;

    const double m = setup.outerTwips;
    g.titlePoints = RoundEven(m * setup.titleFontRatio);
    g.labelPoints = RoundEven(m * PlotConstants::LabelFontRatio);
    g.sidePixels = std::max(1, RoundEven(m * setup.sideFontRatio));

    g.x = LayoutAxis(numlib, session.PlotXMin, session.PlotXMax, 2);
    g.y = LayoutAxis(numlib, session.PlotYMin, session.PlotYMax, 1);
    g.map = PlotMap(g.x.start, g.x.end, g.x.scale, g.y.start, g.y.end, g.y.scale);

    for (int k = 1; k <= g.x.ticks - 2; ++k)
        g.xTicks.push_back(k * 100.0 / (g.x.ticks - 1));
    for (int k = 1; k <= g.y.ticks - 2; ++k)
        g.yTicks.push_back(k * 100.0 / (g.y.ticks - 1));

    // Removed points are drawn over good ones, so that they stay visible in a
    // dense scan.
    g.markerRadius = g.markerBase * setup.markerScale;
    auto component = [](int16_t v) { return std::clamp<int>(v, 0, 255); };
    g.goodColour = QColor(
        component(session.GoodRed), component(session.GoodGreen), component(session.GoodBlue));
    g.deletedColour = QColor(
        component(session.DelRed), component(session.DelGreen), component(session.DelBlue));
    PlaceMarkers(g, session);

    // Titles: one size for all three, shrunk until the longer title fits.
    const QString &longer
        = session.PlotTitle.trimmed().size() > session.PlotSubtitle.trimmed().size()
        ? session.PlotTitle
        : session.PlotSubtitle;
    auto widthIn = [&surface](const QFont &font, const QString &text) {
        return surface.unitsX(QFontMetricsF(font).horizontalAdvance(text));
    };
    g.titleFont = PlotFont(pointsToPixels(g.titlePoints, setup.dpi));
    while (g.titlePoints > 1 && widthIn(g.titleFont, longer) >= 110.0) {
        --g.titlePoints;
        g.titleFont = PlotFont(pointsToPixels(g.titlePoints, setup.dpi));
    }
    const double titleHeight = surface.unitsY(QFontMetricsF(g.titleFont).height());
    const QString xTitle = session.XAxisLabel + g.x.suffix;
    g.xTitle = { xTitle, { 50.0 - widthIn(g.titleFont, xTitle) / 2.0, -12.5 + titleHeight } };
    g.title = { session.PlotTitle,
        { 50.0 - widthIn(g.titleFont, session.PlotTitle) / 2.0, 100.0 + 1.2 * titleHeight } };
    g.subtitle = { session.PlotSubtitle,
        { 50.0 - widthIn(g.titleFont, session.PlotSubtitle) / 2.0, 110.0 } };

    g.labelFont = PlotFont(pointsToPixels(g.labelPoints, setup.dpi));
    const QFontMetricsF labelMetrics(g.labelFont);
    for (int k = 0; k < g.x.ticks; ++k) {
        const QString text
            = NumberFormat::text((k * g.x.step + g.x.start) / g.x.divisor, NumberFormat::Fixed3);
        const double centre = k * 100.0 / (g.x.ticks - 1);
        g.xLabels.push_back({ text, { centre - widthIn(g.labelFont, text) / 2.0, -1.0 } });
    }
    const double blank = widthIn(g.labelFont, QStringLiteral(" "));
    const double labelHeight = surface.unitsY(labelMetrics.height());
    for (int k = 0; k < g.y.ticks; ++k) {
        const QString text
            = NumberFormat::text((k * g.y.step + g.y.start) / g.y.divisor, NumberFormat::Fixed3);
        g.yLabels.push_back({ text,
            { -widthIn(g.labelFont, text) - blank,
                k * 100.0 / (g.y.ticks - 1) + 2.0 * labelHeight / 3.0 } });
    }

    // The rotated font is asked for by its cell height, ascent plus descent.
    QFont side = PlotFont(g.sidePixels);
    const double cell = QFontMetricsF(side).height();
    if (cell > 0)
        side.setPixelSize(std::max(1, RoundEven(g.sidePixels * g.sidePixels / cell)));
    g.sideFont = side;
    const QString yTitle = session.YAxisLabel + g.y.suffix;
    g.yTitleLength = surface.unitsY(QFontMetrics(side).horizontalAdvance(yTitle));
    g.yTitle = { yTitle, { -18.0, 50.0 - g.yTitleLength / 2.0 } };
    return g;
}
