// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PlotGeometry.h"
#include "core/NumLib.h"
#include "core/PlotSession.h"
#include "editor/PlotRender.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <cfloat>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace
{

struct Point {
    float x;
    float y;
    float flag = 100.0f;
};

class PlotGeometryTest : public testing::Test
{
protected:
    void setPoints(const std::vector<Point> &points)
    {
        s.PlotCount = int16_t(points.size());
        for (size_t i = 0; i < points.size(); ++i) {
            s.PlotX(int(i + 1)) = points[i].x;
            s.PlotY(int(i + 1)) = points[i].y;
            s.PlotFlag(int(i + 1)) = points[i].flag;
        }
    }
    void setRange(float xmin, float xmax, float ymin, float ymax)
    {
        s.PlotXMin = xmin;
        s.PlotXMax = xmax;
        s.PlotYMin = ymin;
        s.PlotYMax = ymax;
    }
    PlotGeometry compute() { return ComputePlotGeometry(s, numlib, setup); }

    std::unique_ptr<PlotSession> state = std::make_unique<PlotSession>();
    PlotSession &s = *state;
    NumLib numlib;
    PlotSetup setup;

    void SetUp() override
    {
        s.PlotTitle = QStringLiteral("Editing Data Set ");
        s.PlotSubtitle = QStringLiteral(" ");
        s.XAxisLabel = QStringLiteral("Radius (cm)");
        s.YAxisLabel = QStringLiteral("Concentration");
        setup.pixels = QSizeF(580, 600);
        setup.outerTwips = 9990;
    }
};

QStringList texts(const std::vector<PlotText> &items)
{
    QStringList out;
    for (const PlotText &item : items)
        out << item.text;
    return out;
}

} // namespace

TEST(AxisExponent, NearerEndToZeroAndTheUnscaledDecades)
{
    const struct {
        const char *name;
        float a, b;
        const char *exponent;
    } rows[] = {
        { "units", 5.75f, 7.25f, "+00" },
        { "thousandths", 0.001f, 0.0035f, "-03" },
        { "zero start takes the end", 0.0f, 320.0f, "+02" },
        { "zero end takes the start", -320.0f, 0.0f, "+02" },
        { "nearer end wins", -3.0f, 500.0f, "+00" },
        { "tie keeps the start", -0.05f, 0.05f, "-02" },
        { "tens are unscaled", 10.0f, 50.0f, "+00" },
        { "tenths are unscaled", 0.1f, 0.5f, "+00" },
        { "just under one hundred", 99.4f, 120.0f, "+00" },
        { "rounds up to one hundred", 99.96f, 120.0f, "+02" },
        { "hundredths", 0.01f, 0.05f, "-02" },
        { "both zero", 0.0f, 0.0f, "+00" },
        { "huge", 1e30f, 3e30f, "+30" },
        { "tiny", 1e-30f, 3e-30f, "-30" },
        { "not a number", std::nanf(""), std::nanf(""), "+00" },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(AxisExponent(row.a, row.b), QLatin1String(row.exponent));
    }
}

TEST_F(PlotGeometryTest, WorkedExampleRadiusAndConcentration)
{
    setRange(5.9f, 7.2f, 0.0012f, 0.0034f);
    const PlotGeometry g = compute();
    EXPECT_FLOAT_EQ(g.x.start, 5.75f);
    EXPECT_FLOAT_EQ(g.x.end, 7.25f);
    EXPECT_EQ(g.x.ticks, 7);
    EXPECT_DOUBLE_EQ(g.x.step, 0.25);
    EXPECT_EQ(g.x.exponent, QStringLiteral("+00"));
    EXPECT_TRUE(g.x.suffix.isEmpty());
    EXPECT_EQ(texts(g.xLabels),
        (QStringList { "5.750", "6.000", "6.250", "6.500", "6.750", "7.000", "7.250" }));
    EXPECT_EQ(g.xTitle.text, QStringLiteral("Radius (cm)"));
    EXPECT_FLOAT_EQ(g.x.scale, 100.0f / 1.5f);

    EXPECT_FLOAT_EQ(g.y.start, 0.001f);
    EXPECT_FLOAT_EQ(g.y.end, 0.0035f);
    EXPECT_EQ(g.y.ticks, 6);
    EXPECT_EQ(
        texts(g.yLabels), (QStringList { "1.000", "1.500", "2.000", "2.500", "3.000", "3.500" }));
    EXPECT_EQ(g.yTitle.text, QStringLiteral("Concentration (10^-03)"));
    // The range was proper: nothing written back, nothing to warn about.
    EXPECT_FALSE(g.x.identical);
    EXPECT_FALSE(g.y.identical);
    EXPECT_FLOAT_EQ(s.PlotXMin, 5.9f);
}

TEST_F(PlotGeometryTest, ScaledAxesGetSuffixesWithTheirOwnBlanks)
{
    setRange(0.0f, 300.0f, 0.0f, 300.0f);
    const PlotGeometry g = compute();
    EXPECT_FLOAT_EQ(g.x.start, 0.0f);
    EXPECT_FLOAT_EQ(g.x.end, 320.0f);
    EXPECT_EQ(g.x.exponent, QStringLiteral("+02"));
    EXPECT_DOUBLE_EQ(g.x.divisor, 100.0);
    EXPECT_EQ(texts(g.xLabels).first(), QStringLiteral("0.000"));
    EXPECT_EQ(texts(g.xLabels).last(), QStringLiteral("3.200"));
    EXPECT_EQ(g.xTitle.text, QStringLiteral("Radius (cm)  (10^+02)"));
    EXPECT_EQ(g.yTitle.text, QStringLiteral("Concentration (10^+02)"));
}

TEST_F(PlotGeometryTest, InteriorTicksOnlyAndALabelAtEveryPosition)
{
    setRange(5.9f, 7.2f, 0.0012f, 0.0034f);
    const PlotGeometry g = compute();
    ASSERT_EQ(g.xTicks.size(), size_t(g.x.ticks - 2));
    ASSERT_EQ(g.yTicks.size(), size_t(g.y.ticks - 2));
    EXPECT_EQ(g.xLabels.size(), size_t(g.x.ticks));
    EXPECT_EQ(g.yLabels.size(), size_t(g.y.ticks));
    for (size_t k = 0; k < g.xTicks.size(); ++k)
        EXPECT_DOUBLE_EQ(g.xTicks[k], double(k + 1) * 100.0 / 6.0);
    for (size_t k = 0; k < g.yTicks.size(); ++k)
        EXPECT_DOUBLE_EQ(g.yTicks[k], double(k + 1) * 100.0 / 5.0);

    // Labels centred under their tick, one blank left of the box, a sixth of
    // a line above their tick.
    const QFontMetricsF labels(g.labelFont);
    const double w3 = g.surface.unitsX(labels.horizontalAdvance(QStringLiteral("6.250")));
    EXPECT_NEAR(g.xLabels[2].topLeft.x() + w3 / 2.0, 100.0 / 3.0, 1e-9);
    EXPECT_DOUBLE_EQ(g.xLabels[2].topLeft.y(), -1.0);
    const double blank = g.surface.unitsX(labels.horizontalAdvance(QStringLiteral(" ")));
    const double wy = g.surface.unitsX(labels.horizontalAdvance(QStringLiteral("2.000")));
    EXPECT_NEAR(g.yLabels[2].topLeft.x(), -wy - blank, 1e-9);
    EXPECT_NEAR(
        g.yLabels[2].topLeft.y() - 40.0, 2.0 * g.surface.unitsY(labels.height()) / 3.0, 1e-9);
}

TEST_F(PlotGeometryTest, TitleSizesFollowTheWindowAndLongTitlesShrink)
{
    setRange(0.0f, 1.0f, 0.0f, 1.0f);
    PlotGeometry g = compute();
    EXPECT_EQ(g.titlePoints, 14); // 9990 twips x 0.0014 = 13.986
    EXPECT_EQ(g.labelPoints, 12); // x 0.0012 = 11.988
    EXPECT_EQ(g.sidePixels, 24); // x 0.0024 = 23.976
    EXPECT_EQ(g.titleFont.pixelSize(), 19); // 14 points at 96 dpi
    EXPECT_DOUBLE_EQ(
        g.title.topLeft.y(), 100.0 + 1.2 * g.surface.unitsY(QFontMetricsF(g.titleFont).height()));
    EXPECT_DOUBLE_EQ(g.subtitle.topLeft.y(), 110.0);

    s.PlotTitle = QStringLiteral("Editing Data Set ") + QString(60, QLatin1Char('W'));
    g = compute();
    EXPECT_LT(g.titlePoints, 14);
    EXPECT_GE(g.titlePoints, 1);
    const auto width = [&](int points) {
        const QFont font = PlotFont(RoundEven(points * 96.0 / 72.0));
        return g.surface.unitsX(QFontMetricsF(font).horizontalAdvance(s.PlotTitle));
    };
    EXPECT_LT(width(g.titlePoints), 110.0);
    EXPECT_GE(width(g.titlePoints + 1), 110.0);
    // The subtitle and the horizontal title share the shrunk size.
    EXPECT_EQ(g.titleFont.pixelSize(), RoundEven(g.titlePoints * 96.0 / 72.0));

    // Far too long for any size: stops at one point instead of looping.
    s.PlotSubtitle = QString(5000, QLatin1Char('W'));
    g = compute();
    EXPECT_EQ(g.titlePoints, 1);
}

TEST_F(PlotGeometryTest, VerticalTitleIsCentredOnTheBox)
{
    setRange(0.0f, 1.0f, 0.0012f, 0.0034f);
    const PlotGeometry g = compute();
    EXPECT_DOUBLE_EQ(g.yTitle.topLeft.x(), -18.0);
    EXPECT_GT(g.yTitleLength, 10.0);
    EXPECT_DOUBLE_EQ(g.yTitle.topLeft.y() + g.yTitleLength / 2.0, 50.0);
    // The rotated font is sized by its cell height.
    EXPECT_NEAR(QFontMetricsF(g.sideFont).height(), g.sidePixels, 2.0);
}

TEST_F(PlotGeometryTest, MarkersInsideOrOnTheAxesInTheirColours)
{
    // Axis 0..320 from a range 0..300: points at 0 and 320 lie on the axis
    // ends and are shown, points beyond them (as after a zoom) are not.
    setPoints({ { 0.0f, 50.0f }, { 100.0f, 100.0f }, { 200.0f, 150.0f, -100.0f }, { 300.0f, 0.0f },
        { 150.0f, 320.0f }, { 150.0f, 160.0f, 0.0f }, { -1.0f, 50.0f }, { 330.0f, 50.0f },
        { 150.0f, 321.0f } });
    setRange(0.0f, 300.0f, 0.0f, 300.0f);
    s.GoodRed = 1;
    s.GoodGreen = 2;
    s.GoodBlue = 3;
    s.DelRed = 400; // out of range components are clamped, not invalid colours
    const PlotGeometry g = compute();
    ASSERT_EQ(g.goodMarkers.size(), 4u);
    EXPECT_EQ(g.goodMarkers[0], QPointF(0.0, 50.0 * 100.0 / 320.0));
    EXPECT_DOUBLE_EQ(g.goodMarkers[1].x(), 100.0 * 100.0 / 320.0);
    EXPECT_DOUBLE_EQ(g.goodMarkers[1].y(), 100.0 * 100.0 / 320.0);
    EXPECT_EQ(g.goodMarkers[3].y(), 100.0);
    ASSERT_EQ(g.deletedMarkers.size(), 2u); // a flag of 0 counts as removed
    EXPECT_DOUBLE_EQ(g.deletedMarkers[0].x(), 200.0 * 100.0 / 320.0);
    EXPECT_EQ(g.goodColour, QColor(1, 2, 3));
    EXPECT_EQ(g.deletedColour, QColor(255, 0, 0));
    EXPECT_FLOAT_EQ(g.markerRadius, 0.975f);
}

TEST_F(PlotGeometryTest, IdenticalValuesWidenTheRangeOrUseMinusTwoToTwo)
{
    const struct {
        const char *name;
        float v;
        float min, max; // the range written back
        bool rangeKept; // 0 stays degenerate
    } rows[] = {
        { "positive", 3.0f, 1.5f, 6.0f, false },
        { "negative", -3.0f, -6.0f, -1.5f, false },
        { "zero", 0.0f, 0.0f, 0.0f, true },
        { "huge", 3e38f, 1.5e38f, FLT_MAX, false },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        setRange(row.v, row.v, 0.0f, 1.0f);
        const PlotGeometry g = compute();
        EXPECT_TRUE(g.x.identical);
        EXPECT_FALSE(g.y.identical);
        EXPECT_EQ(s.PlotXMin, row.min);
        EXPECT_EQ(s.PlotXMax, row.max);
        EXPECT_LE(g.x.start, s.PlotXMin);
        EXPECT_GE(g.x.end, s.PlotXMax);
        if (row.rangeKept) {
            EXPECT_EQ(g.x.start, -2.0f);
            EXPECT_EQ(g.x.end, 2.0f);
            EXPECT_EQ(g.x.ticks, 5);
        }
        // A second paint of a widened range has nothing to warn about.
        EXPECT_EQ(compute().x.identical, row.rangeKept);
    }
}

TEST_F(PlotGeometryTest, ExtremeRangesStayFiniteAndDrawable)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char *name;
        float xmin, xmax;
    } rows[] = {
        { "huge", 1e30f, 3e30f },
        { "tiny", 1e-30f, 3e-30f },
        { "tiny span", 1.0f, 1.0000001f },
        { "whole float range", -FLT_MAX, FLT_MAX },
        { "infinite end", 0.0f, inf },
        { "not a number", nan, nan },
        { "denormal", 0.0f, 1e-44f },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        setPoints({ { row.xmin, 0.5f }, { row.xmax, 0.7f } });
        setRange(row.xmin, row.xmax, 0.0f, 1.0f);
        const PlotGeometry g = compute();
        EXPECT_TRUE(std::isfinite(g.x.start) && std::isfinite(g.x.end));
        EXPECT_LT(g.x.start, g.x.end);
        EXPECT_TRUE(std::isfinite(g.x.scale) && g.x.scale > 0.0f);
        EXPECT_GE(g.x.ticks, 2);
        EXPECT_EQ(g.xLabels.size(), size_t(g.x.ticks));
        for (const PlotText &label : g.xLabels)
            EXPECT_FALSE(label.text.isEmpty());
        for (const QPointF &m : g.goodMarkers)
            EXPECT_TRUE(std::isfinite(m.x()) && std::isfinite(m.y()));
        const QImage image = RenderPlotImage(g, Qt::lightGray);
        EXPECT_EQ(image.pixelColor(g.surface.toPixel({ 50, 50 }).toPoint()), QColor(Qt::white));
    }
}

// Markers are copied into window images pixel by pixel, and drawn by the
// painter where it is clipped already (and on pages): both give one picture.
TEST_F(PlotGeometryTest, CopiedMarkersEqualPaintedOnesAndTheFrameCoversEveryPixel)
{
    std::vector<Point> points;
    for (int i = 0; i < 400; ++i) {
        // Some on the edges of the range, where markers reach over the frame,
        // and some beyond it.
        const float x = -0.05f + 1.1f * float(i) / 399.0f;
        const float y = 0.5f + 0.55f * std::sin(float(i) * 0.37f);
        points.push_back({ x, y, i % 7 == 0 ? -100.0f : 100.0f });
    }
    setPoints(points);
    setRange(0.0f, 1.0f, 0.0f, 1.0f);
    const QColor background(240, 240, 240);
    for (const QSizeF pixels : { QSizeF(1280, 1024), QSizeF(583, 601) }) {
        SCOPED_TRACE(pixels.width());
        setup.pixels = pixels;
        const PlotGeometry g = compute();
        ASSERT_FALSE(g.deletedMarkers.empty());
        const QImage copied = RenderPlotImage(g, background);

        QImage painted(pixels.toSize(), QImage::Format_RGB32);
        painted.fill(Qt::magenta);
        {
            QPainter painter(&painted);
            painter.setClipRect(painted.rect());
            RenderPlot(painter, g, QRectF(QPointF(0, 0), pixels), background);
        }
        EXPECT_EQ(copied, painted);
        bool uncovered = false;
        for (int y = 0; y < painted.height() && !uncovered; ++y)
            for (int x = 0; x < painted.width() && !uncovered; ++x)
                uncovered = painted.pixelColor(x, y) == QColor(Qt::magenta);
        EXPECT_FALSE(uncovered);

        // A repair of one spot, its edges between pixels.
        const QRectF spot(101.3, 97.6, 60.4, 43.5);
        QImage spotCopied = copied.copy();
        QImage spotPainted = copied.copy();
        {
            QPainter painter(&spotCopied);
            RenderMarkers(painter, g, QRectF(QPointF(0, 0), pixels), spot);
        }
        {
            QPainter painter(&spotPainted);
            painter.setClipRect(spotPainted.rect());
            RenderMarkers(painter, g, QRectF(QPointF(0, 0), pixels), spot);
        }
        EXPECT_EQ(spotCopied, spotPainted);
    }
}
