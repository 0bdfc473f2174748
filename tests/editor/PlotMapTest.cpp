// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PlotMap.h"
#include "core/PlotSession.h"
#include "editor/PlotInteraction.h"
#include "editor/PlotworkLayout.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

// 580 x 620 pixels over 145 x 155 plot units: 4 pixels per unit both ways,
// so pixel = (4 (X + 25), 4 (130 - Y)).
const SurfaceMap surface(QSizeF(580, 620));

// x = y = 1..8: both axes 1..9 at 12.5 plot units per data unit, so point i
// lies at plot (12.5 (i - 1), 12.5 (i - 1)) and pixel (100 + 50 (i - 1),
// 520 - 50 (i - 1)).
const PlotMap diagonal(1.0f, 9.0f, 12.5f, 1.0f, 9.0f, 12.5f);

std::unique_ptr<PlotSession> diagonalPoints()
{
    auto session = std::make_unique<PlotSession>();
    session->PlotCount = 8;
    for (int i = 1; i <= 8; ++i) {
        session->PlotX(i) = float(i);
        session->PlotY(i) = float(i);
        session->PlotFlag(i) = 100.0f;
    }
    return session;
}

PlotInteraction interactionOverDiagonal(EditMode mode)
{
    PlotInteraction interaction;
    interaction.setSurface(surface);
    interaction.setPlot(diagonal, 0.975f);
    interaction.setMode(mode);
    return interaction;
}

} // namespace

TEST(PlotMap, SurfaceCornersAndTheBoxLandOnKnownPixels)
{
    const struct {
        const char *name;
        QPointF plot;
        QPointF pixel;
    } rows[] = {
        { "surface top left", { -25, 130 }, { 0, 0 } },
        { "surface bottom right", { 120, -25 }, { 580, 620 } },
        { "box bottom left", { 0, 0 }, { 100, 520 } },
        { "box top right", { 100, 100 }, { 500, 120 } },
        { "box centre", { 50, 50 }, { 300, 320 } },
        { "tick top", { 2, 2 }, { 108, 512 } },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(surface.toPixel(row.plot).x(), row.pixel.x());
        EXPECT_DOUBLE_EQ(surface.toPixel(row.plot).y(), row.pixel.y());
        EXPECT_DOUBLE_EQ(surface.toPlot(row.pixel).x(), row.plot.x());
        EXPECT_DOUBLE_EQ(surface.toPlot(row.pixel).y(), row.plot.y());
    }
    EXPECT_DOUBLE_EQ(surface.pixelsPerUnitX(), 4.0);
    EXPECT_DOUBLE_EQ(surface.unitsY(10.0), 2.5);
}

TEST(PlotMap, DataValuesRoundTripThroughPlotUnitsAndPixels)
{
    // x axis 5.75..7.25 (100 / 1.5 units per cm), y axis 0.001..0.0035.
    const PlotMap map(5.75f, 7.25f, 100.0f / 1.5f, 0.001f, 0.0035f, 40000.0f);
    const struct {
        const char *name;
        float x, y;
        QPointF plot;
        QPointF pixel;
    } rows[] = {
        { "axis starts", 5.75f, 0.001f, { 0, 0 }, { 100, 520 } },
        { "axis ends", 7.25f, 0.0035f, { 100, 100 }, { 500, 120 } },
        { "inside", 6.5f, 0.002f, { 50, 40 }, { 300, 360 } },
        { "left of the box", 5.6f, 0.0005f, { -10, -20 }, { 60, 600 } },
    };
    PlotInteraction interaction;
    interaction.setSurface(surface);
    interaction.setPlot(map, 0.975f);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(map.toPlotX(row.x), row.plot.x(), 1e-4);
        EXPECT_NEAR(map.toPlotY(row.y), row.plot.y(), 1e-3);
        EXPECT_NEAR(map.toDataX(float(row.plot.x())), row.x, 1e-6);
        EXPECT_NEAR(map.toDataY(float(row.plot.y())), row.y, 1e-8);
        const QPointF pixel = surface.toPixel(map.toPlot(row.x, row.y));
        EXPECT_NEAR(pixel.x(), row.pixel.x(), 1e-3);
        EXPECT_NEAR(pixel.y(), row.pixel.y(), 1e-2);
        const QPointF back = interaction.toData(row.pixel);
        EXPECT_NEAR(back.x(), row.x, 1e-6);
        EXPECT_NEAR(back.y(), row.y, 1e-8);
    }
}

TEST(PlotInteraction, ClicksAtKnownPixelsGiveKnownEdits)
{
    using Kind = PlotAction::Kind;
    const struct {
        const char *name;
        EditMode mode;
        QPointF pixel;
        MouseButton button;
        ShiftState shift;
        Kind kind;
        int point;
        FlagChange change;
        bool left;
        float xc;
    } rows[] = {
        { "on point 4", EditMode::RemovePoint, { 250, 370 }, MouseButton::Left, ShiftState::None,
            Kind::EditPoint, 4, FlagChange::Remove, true, 0 },
        { "0.56 units off point 4", EditMode::RemovePoint, { 252, 371 }, MouseButton::Left,
            ShiftState::None, Kind::EditPoint, 4, FlagChange::Remove, true, 0 },
        { "1 unit off point 4", EditMode::RemovePoint, { 254, 370 }, MouseButton::Left,
            ShiftState::None, Kind::None, 0, FlagChange::Remove, true, 0 },
        { "restore point 1 on the corner", EditMode::RestorePoint, { 100, 520 }, MouseButton::Left,
            ShiftState::None, Kind::EditPoint, 1, FlagChange::Restore, true, 0 },
        { "right button on a point", EditMode::RemovePoint, { 250, 370 }, MouseButton::Right,
            ShiftState::None, Kind::None, 0, FlagChange::Remove, true, 0 },
        { "shift on a point", EditMode::RemovePoint, { 250, 370 }, MouseButton::Left,
            ShiftState::Shift, Kind::None, 0, FlagChange::Remove, true, 0 },
        // Pixel x 225 is plot 31.25, data 3.5; 275 is plot 43.75, data 4.5.
        { "remove left of 3.5", EditMode::RemoveSide, { 225, 300 }, MouseButton::Left,
            ShiftState::None, Kind::EditSide, 0, FlagChange::Remove, true, 3.5f },
        { "restore right of 4.5", EditMode::RestoreSide, { 275, 10 }, MouseButton::Right,
            ShiftState::None, Kind::EditSide, 0, FlagChange::Restore, false, 4.5f },
        { "middle button to a side", EditMode::RemoveSide, { 225, 300 }, MouseButton::Middle,
            ShiftState::None, Kind::None, 0, FlagChange::Remove, true, 0 },
        { "ctrl and alt to a side", EditMode::RemoveSide, { 225, 300 }, MouseButton::Left,
            ShiftState::Ctrl | ShiftState::Alt, Kind::None, 0, FlagChange::Remove, true, 0 },
        { "zoom mode starts a drag", EditMode::Zoom, { 250, 370 }, MouseButton::Left,
            ShiftState::None, Kind::None, 0, FlagChange::Remove, true, 0 },
    };
    const auto points = diagonalPoints();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        PlotInteraction interaction = interactionOverDiagonal(row.mode);
        const PlotAction action = interaction.press(row.pixel, row.button, row.shift, *points);
        EXPECT_EQ(action.kind, row.kind);
        if (row.kind == Kind::EditPoint) {
            EXPECT_EQ(action.point, row.point);
        }
        if (row.kind != Kind::None) {
            EXPECT_EQ(action.change, row.change);
        }
        if (row.kind == Kind::EditSide) {
            EXPECT_EQ(action.left, row.left);
            EXPECT_FLOAT_EQ(action.xc, row.xc);
        }
    }
}

TEST(PlotInteraction, DraggedBoxesGiveKnownDataRectangles)
{
    const float margin = 0.01f * 8.0f;
    const struct {
        const char *name;
        QPointF from, to; // pixels
        DataBox box;
    } rows[] = {
        // Plot (20, 20) to (60, 60): data 2.6 to 5.8 both ways.
        { "top left to bottom right", { 180, 280 }, { 340, 440 }, { 2.6f, 5.8f, 2.6f, 5.8f } },
        { "bottom right to top left", { 340, 440 }, { 180, 280 }, { 2.6f, 5.8f, 2.6f, 5.8f } },
        // Plot (-10, -20) to (60, 110): beyond the axes on three sides.
        { "beyond the axes", { 60, 600 }, { 340, 80 },
            { 1.0f + margin, 5.8f, 1.0f + margin, 9.0f - margin } },
    };
    const auto points = diagonalPoints();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        PlotInteraction interaction = interactionOverDiagonal(EditMode::Zoom);
        interaction.press(row.from, MouseButton::Left, ShiftState::None, *points);
        EXPECT_FALSE(interaction.band());
        ASSERT_TRUE(interaction.move(row.to));
        ASSERT_TRUE(interaction.band());
        EXPECT_EQ(interaction.band()->normalized(),
            QRectF(surface.toPlot(row.from), surface.toPlot(row.to)).normalized());
        // A release with a modifier, or of another button, keeps the drag.
        EXPECT_EQ(
            interaction.release(MouseButton::Left, ShiftState::Shift).kind, PlotAction::Kind::None);
        EXPECT_EQ(
            interaction.release(MouseButton::Right, ShiftState::None).kind, PlotAction::Kind::None);
        EXPECT_TRUE(interaction.box().BoxDragging);
        const PlotAction action = interaction.release(MouseButton::Left, ShiftState::None);
        ASSERT_EQ(action.kind, PlotAction::Kind::Zoom);
        EXPECT_FLOAT_EQ(action.zoom.xa, row.box.xa);
        EXPECT_FLOAT_EQ(action.zoom.xb, row.box.xb);
        EXPECT_FLOAT_EQ(action.zoom.ya, row.box.ya);
        EXPECT_FLOAT_EQ(action.zoom.yb, row.box.yb);
        EXPECT_FALSE(interaction.box().BoxDragging);
        EXPECT_FALSE(interaction.band());
        EXPECT_EQ(interaction.box().BoxX1, 0.0f);
        EXPECT_EQ(interaction.box().BoxY2, 0.0f);
    }
}

TEST(PlotInteraction, NoZoomWithoutWidthBeforeAPaintOrAfterLeavingTheMode)
{
    const auto points = diagonalPoints();
    PlotInteraction flat = interactionOverDiagonal(EditMode::Zoom);
    flat.press({ 180, 440 }, MouseButton::Left, ShiftState::None, *points);
    flat.move({ 180, 280 });
    EXPECT_EQ(flat.release(MouseButton::Left, ShiftState::None).kind, PlotAction::Kind::None);
    // The corners keep their values until the next drag.
    EXPECT_EQ(flat.box().BoxX1, 20.0f);
    EXPECT_EQ(flat.box().BoxY2, 60.0f);

    PlotInteraction unpainted;
    unpainted.setSurface(surface);
    unpainted.press({ 180, 440 }, MouseButton::Left, ShiftState::None, *points);
    EXPECT_FALSE(unpainted.box().BoxDragging);
    EXPECT_FALSE(unpainted.move({ 340, 280 }));

    PlotInteraction left = interactionOverDiagonal(EditMode::Zoom);
    left.press({ 180, 440 }, MouseButton::Left, ShiftState::None, *points);
    left.move({ 340, 280 });
    left.setMode(EditMode::RemovePoint);
    EXPECT_FALSE(left.box().BoxDragging);
    EXPECT_FALSE(left.band());
    EXPECT_EQ(left.release(MouseButton::Left, ShiftState::None).kind, PlotAction::Kind::None);
}

TEST(PlotworkLayout, SizePlaceFontsAndToolbarFollowTheScreen)
{
    // Size in twips: 64 % x 80 % up to 640 pixels wide, 52 % x 65 % above;
    // left (screen - window) / 2, top the same raised by 3 % of the height.
    const struct {
        const char *name;
        QSize screen;
        QSize window;
        QPoint at;
        double stripPoints;
        bool largeToolbar;
    } rows[] = {
        { "640 x 480", { 640, 480 }, { 410, 384 }, { 115, 34 }, 9.75, false },
        { "641 wide", { 641, 480 }, { 333, 312 }, { 154, 70 }, 8.0, false },
        { "800 x 600", { 800, 600 }, { 416, 390 }, { 192, 87 }, 8.0, false },
        { "801 wide", { 801, 600 }, { 417, 390 }, { 192, 87 }, 8.0, true },
        { "1024 x 768", { 1024, 768 }, { 532, 499 }, { 246, 111 }, 8.0, true },
        { "1280 x 1024", { 1280, 1024 }, { 666, 666 }, { 307, 148 }, 8.0, true },
        { "1920 x 1080", { 1920, 1080 }, { 998, 702 }, { 461, 157 }, 8.0, true },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const PlotworkLayout layout = LayoutPlotwork(row.screen);
        EXPECT_EQ(layout.size, row.window);
        EXPECT_EQ(layout.position, row.at);
        EXPECT_DOUBLE_EQ(layout.stripPoints, row.stripPoints);
        EXPECT_EQ(layout.largeToolbar, row.largeToolbar);
    }
}
