// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EditorSupport.h"

#include "base/Platform.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QImage>

#include <vector>

namespace
{

struct Range {
    float xmin, xmax, ymin, ymax;
    bool operator==(const Range &) const = default;
};

Range rangeOf(const PlotSession &s)
{
    return { s.PlotXMin, s.PlotXMax, s.PlotYMin, s.PlotYMax };
}

// The data value under plot position v on the diagonal axes.
float data(float v)
{
    return v / 12.5f + 1.0f;
}

const QString NoData = QStringLiteral("There Were No Data Within the Zoom-In Box!");
const QString Single = QStringLiteral("You CANNOT Zoom Around a Single Point!");

} // namespace

TEST(Zoom, ABoxZoomsTheSameWhicheverWayItIsDragged)
{
    const struct {
        const char *name;
        QPointF from, to;
    } rows[] = {
        { "top left to bottom right", { 20, 60 }, { 60, 20 } },
        { "bottom right to top left", { 60, 20 }, { 20, 60 } },
        { "bottom left to top right", { 20, 20 }, { 60, 60 } },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Harness h;
        setDataSet(*h.state, diagonalPoints());
        runEditor(h, [&](PlotWindow &w) {
            ASSERT_FLOAT_EQ(w.form().XScale, 12.5f);
            EXPECT_FALSE(w.zoomOutEntry()->isEnabled());
            dragBox(w, row.from, row.to);
            EXPECT_EQ(rangeOf(w.session()), (Range { data(20), data(60), data(20), data(60) }));
            EXPECT_TRUE(w.zoomOutEntry()->isEnabled());
            EXPECT_EQ(w.interaction().box().BoxX1, 0.0f);
            EXPECT_EQ(w.interaction().box().BoxY2, 0.0f);
            // The new axes fit around the box; zooming again works inside them.
            EXPECT_LE(w.form().XAxisStart, data(20));
            EXPECT_GE(w.form().XAxisEnd, data(60));
        });
        EXPECT_TRUE(h.platform.messages.empty());
        EXPECT_EQ(h.state->DataPts.flag(3), 100.0f);
    }
}

TEST(Zoom, ABoxBeyondTheAxesStopsOnePercentInside)
{
    Harness h;
    setDataSet(*h.state, diagonalPoints());
    runEditor(h, [&](PlotWindow &w) {
        dragBox(w, { -10, -20 }, { 60, 110 });
        const float margin = 0.01f * (9.0f - 1.0f);
        EXPECT_EQ(rangeOf(w.session()),
            (Range { 1.0f + margin, data(60), 1.0f + margin, 9.0f - margin }));
    });
}

TEST(Zoom, FewerThanTwoPointsInTheBoxIsRefused)
{
    const struct {
        const char *name;
        float flag4;
        QPointF from, to;
        QString message;
    } rows[] = {
        { "around one point", 100.0f, { 30, 30 }, { 45, 45 }, Single },
        { "around one removed point", -100.0f, { 30, 30 }, { 45, 45 }, Single },
        { "around nothing", 100.0f, { 52, 30 }, { 60, 40 }, NoData },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Harness h;
        std::vector<TestPoint> points = diagonalPoints();
        points[3].flag = row.flag4;
        setDataSet(*h.state, points);
        runEditor(h, [&](PlotWindow &w) {
            const Range before = rangeOf(w.session());
            dragBox(w, row.from, row.to);
            EXPECT_EQ(rangeOf(w.session()), before);
            EXPECT_FALSE(w.zoomOutEntry()->isEnabled());
            EXPECT_EQ(w.interaction().box().BoxX1, 0.0f);
            EXPECT_EQ(w.interaction().box().BoxX2, 0.0f);
        });
        ASSERT_EQ(h.platform.messages.size(), 1u);
        EXPECT_EQ(h.platform.messages[0].text, row.message);
        EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("Error in Zooming"));
        EXPECT_EQ(h.platform.messages[0].style, MsgStyle::Exclamation);
    }
}

TEST(Zoom, RemovedPointsAndPointsOnTheEdgeCount)
{
    const struct {
        const char *name;
        float flag;
        QPointF from, to;
    } rows[] = {
        { "two removed points", -100.0f, { 30, 30 }, { 55, 55 } },
        // Point 5 lies on the box's right edge (x = 5) and point 4 inside.
        { "a point on the edge", 100.0f, { 30, 30 }, { 50, 60 } },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Harness h;
        setDataSet(*h.state, diagonalPoints(row.flag));
        runEditor(h, [&](PlotWindow &w) {
            dragBox(w, row.from, row.to);
            EXPECT_TRUE(w.zoomOutEntry()->isEnabled());
            EXPECT_EQ(w.session().PlotXMax, data(float(row.to.x())));
        });
        EXPECT_TRUE(h.platform.messages.empty());
    }
}

TEST(Zoom, ABoxWithoutWidthOrHeightDoesNothing)
{
    Harness h;
    setDataSet(*h.state, diagonalPoints());
    runEditor(h, [&](PlotWindow &w) {
        const Range before = rangeOf(w.session());
        dragBox(w, { 20, 20 }, { 20, 60 });
        EXPECT_EQ(rangeOf(w.session()), before);
        // The corners keep their values until the next drag starts.
        EXPECT_EQ(w.interaction().box().BoxX1, 20.0f);
        EXPECT_EQ(w.interaction().box().BoxY2, 60.0f);
        EXPECT_FALSE(w.interaction().box().BoxDragging);
    });
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(Zoom, OnlyAPlainLeftReleaseEndsTheDrag)
{
    Harness h;
    setDataSet(*h.state, diagonalPoints());
    runEditor(h, [&](PlotWindow &w) {
        const Range before = rangeOf(w.session());
        sendMouse(w, QEvent::MouseButtonPress, { 20, 20 });
        sendMouse(w, QEvent::MouseMove, { 40, 40 }, Qt::LeftButton);
        sendMouse(w, QEvent::MouseButtonRelease, { 40, 40 }, Qt::LeftButton, Qt::ShiftModifier);
        sendMouse(w, QEvent::MouseButtonRelease, { 40, 40 }, Qt::RightButton);
        EXPECT_TRUE(w.interaction().box().BoxDragging);
        EXPECT_EQ(rangeOf(w.session()), before);
        // The box keeps following the pointer with no button held.
        sendMouse(w, QEvent::MouseMove, { 62, 62 }, Qt::NoButton);
        EXPECT_EQ(w.interaction().box().BoxX2, 62.0f);
        sendMouse(w, QEvent::MouseButtonRelease, { 62, 62 });
        EXPECT_FALSE(w.interaction().box().BoxDragging);
        EXPECT_EQ(rangeOf(w.session()), (Range { data(20), data(62), data(20), data(62) }));
    });
}

TEST(Zoom, TheRubberBandIsARedOutlineThatVanishesOnRelease)
{
    Harness h;
    setDataSet(*h.state, diagonalPoints());
    runEditor(h, [&](PlotWindow &w) {
        PlotCanvas *canvas = w.canvas();
        const SurfaceMap surface = canvas->surfaceMap();
        // Red within a pixel of plot position p on the shown canvas.
        auto redAt = [&](QPointF p) {
            const QImage shown = canvas->grab().toImage();
            const QPoint c = surface.toPixel(p).toPoint();
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (shown.pixelColor(c.x() + dx, c.y() + dy) == QColor(255, 0, 0))
                        return true;
            return false;
        };
        sendMouse(w, QEvent::MouseButtonPress, { 52, 30 });
        EXPECT_FALSE(redAt({ 52, 40 })); // nothing before the first move
        sendMouse(w, QEvent::MouseMove, { 90, 60 }, Qt::LeftButton);
        EXPECT_TRUE(redAt({ 52, 40 }));
        EXPECT_TRUE(redAt({ 90, 40 }));
        EXPECT_TRUE(redAt({ 70, 60 }));
        EXPECT_FALSE(redAt({ 70, 40 })); // an outline, not filled
        // The next box replaces it.
        sendMouse(w, QEvent::MouseMove, { 95, 65 }, Qt::LeftButton);
        EXPECT_FALSE(redAt({ 90, 40 }));
        EXPECT_TRUE(redAt({ 95, 40 }));
        // The plot image itself never carries the box.
        const QImage plot = w.plotImage();
        EXPECT_NE(plot.pixelColor(surface.toPixel({ 95, 40 }).toPoint()), QColor(255, 0, 0));
        sendMouse(w, QEvent::MouseButtonRelease, { 95, 65 });
        EXPECT_FALSE(redAt({ 52, 40 }));
        EXPECT_FALSE(redAt({ 95, 40 }));
    });
}

TEST(Zoom, ZoomOutCoversRemovedPointsAndIsOfferedOnlyAfterAZoom)
{
    Harness h;
    std::vector<TestPoint> points = diagonalPoints();
    points[0].flag = -100.0f;
    points[7].flag = -100.0f;
    setDataSet(*h.state, points);
    runEditor(h, [&](PlotWindow &w) {
        dragBox(w, { 20, 20 }, { 60, 60 });
        ASSERT_TRUE(w.zoomOutEntry()->isEnabled());
        // Zooming in again works inside the zoomed axes.
        const float start = w.form().XAxisStart;
        const float scale = w.form().XScale;
        dragBox(w, { -5, -5 }, { 80, 80 });
        EXPECT_FLOAT_EQ(w.session().PlotXMax, 80.0f / scale + start);
        w.zoomOutEntry()->trigger();
        EXPECT_EQ(rangeOf(w.session()), (Range { 1, 8, 1, 8 }));
        EXPECT_FALSE(w.zoomOutEntry()->isEnabled());
        EXPECT_FLOAT_EQ(w.form().XAxisStart, 1.0f);
        // Point 1 on the axis start and point 8 inside, both as removed.
        EXPECT_EQ(w.canvas()->plot()->deletedMarkers.size(), 2u);
    });
}
