// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EditorSupport.h"

#include "base/Platform.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>

#include <cmath>
#include <vector>

namespace
{

void expectDiagonalAxes(const PlotWindow &w)
{
    ASSERT_FLOAT_EQ(w.form().XAxisStart, 1.0f);
    ASSERT_FLOAT_EQ(w.form().XScale, 12.5f);
    ASSERT_FLOAT_EQ(w.form().YAxisStart, 1.0f);
    ASSERT_FLOAT_EQ(w.form().YScale, 12.5f);
}

const float G = 100.0f;
const float R = -100.0f;

} // namespace

TEST(PointEditing, RemoveAndRestoreThePointAtTheCursorKeepTheWeight)
{
    Harness h;
    std::vector<TestPoint> points = diagonalPoints();
    points[2].flag = 2.5f;
    setDataSet(*h.state, points);
    runEditor(h, [&](PlotWindow &w) {
        expectDiagonalAxes(w);
        const PlotSession &s = w.session();
        w.button(2)->trigger();
        clickAt(w, diagonalPosition(3));
        EXPECT_FLOAT_EQ(s.PlotFlag(3), -2.5f);
        clickAt(w, diagonalPosition(3)); // already removed: stays so
        EXPECT_FLOAT_EQ(s.PlotFlag(3), -2.5f);
        clickAt(w, diagonalPosition(5) + QPointF(0.5, -0.5));
        EXPECT_FLOAT_EQ(s.PlotFlag(5), R);
        clickAt(w, diagonalPosition(5) + QPointF(3, 0)); // hits nothing
        w.button(4)->trigger();
        clickAt(w, diagonalPosition(3));
        EXPECT_FLOAT_EQ(s.PlotFlag(3), 2.5f);
        clickAt(w, diagonalPosition(3)); // already good: unchanged
        EXPECT_FLOAT_EQ(s.PlotFlag(3), 2.5f);
        // The right button does nothing in the point modes.
        clickAt(w, diagonalPosition(5), Qt::RightButton);
        EXPECT_FLOAT_EQ(s.PlotFlag(5), R);
        EXPECT_EQ(sessionFlags(s), (std::vector<float> { G, G, 2.5f, G, R, G, G, G }));
        // The plot follows: point 5 is drawn as removed.
        EXPECT_EQ(w.canvas()->plot()->deletedMarkers.size(), 1u);
        // Before the close box, which asks about the changes.
        EXPECT_TRUE(h.platform.messages.empty());
    });
}

TEST(PointEditing, NearestPointWinsAndATieGoesToTheLowerIndex)
{
    Harness h;
    // Points 3 and 5 at the same place, point 4 a quarter unit to the right.
    setDataSet(*h.state,
        { { 1.0f, 1.0f }, { 8.0f, 8.0f }, { 4.0f, 4.0f }, { 4.02f, 4.0f }, { 4.0f, 4.0f } });
    runEditor(h, [&](PlotWindow &w) {
        expectDiagonalAxes(w);
        const PlotSession &s = w.session();
        w.button(2)->trigger();
        clickAt(w, { 37.5 + 0.1, 37.5 }); // 0.1 from 3 and 5, 0.15 from 4
        EXPECT_EQ(sessionFlags(s), (std::vector<float> { G, G, R, G, G }));
        clickAt(w, { 37.5 + 0.2, 37.5 }); // nearer to 4
        EXPECT_EQ(sessionFlags(s), (std::vector<float> { G, G, R, R, G }));
    });
}

TEST(PointEditing, AClickExactlyOnTheHitCircleCounts)
{
    Harness h;
    setDataSet(*h.state, diagonalPoints());
    runEditor(h, [&](PlotWindow &w) {
        expectDiagonalAxes(w);
        const float radius = w.form().markerRadius();
        EXPECT_FLOAT_EQ(radius, 0.975f);
        w.button(2)->trigger();
        // Point 1 lies on the axis corner (0, 0): not drawn, still hit.
        clickAt(w, { std::nextafter(radius, 2.0f), 0.0 });
        EXPECT_FLOAT_EQ(w.session().PlotFlag(1), G);
        clickAt(w, { 0.0, radius });
        EXPECT_FLOAT_EQ(w.session().PlotFlag(1), R);
    });
}

TEST(PointEditing, RemoveToASideAndItsGuard)
{
    const QString guard = QStringLiteral("Error Editing Data! This would remove all data.");
    const struct {
        const char *name;
        Qt::MouseButton button;
        double X; // xc = X / 12.5 + 1
        bool refused;
        std::vector<float> flags;
    } rows[] = {
        { "left from the last point's x", Qt::LeftButton, 87.5, true, { G, G, G, G, G, G, G, G } },
        { "left from beyond the last point", Qt::LeftButton, 99.0, true,
            { G, G, G, G, G, G, G, G } },
        { "left from just below the last point", Qt::LeftButton, 87.0, false,
            { R, R, R, R, R, R, R, G } },
        { "left from between 3 and 4", Qt::LeftButton, 31.25, false, { R, R, R, G, G, G, G, G } },
        { "left from point 3 itself", Qt::LeftButton, 25.0, false, { R, R, R, G, G, G, G, G } },
        { "right from the first point's x", Qt::RightButton, 0.0, true,
            { G, G, G, G, G, G, G, G } },
        { "right from between 4 and 5", Qt::RightButton, 43.75, false, { G, G, G, G, R, R, R, R } },
        { "right from point 5 itself", Qt::RightButton, 50.0, false, { G, G, G, G, R, R, R, R } },
        { "right from just above the first", Qt::RightButton, 0.5, false,
            { G, R, R, R, R, R, R, R } },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Harness h;
        setDataSet(*h.state, diagonalPoints());
        runEditor(h, [&](PlotWindow &w) {
            expectDiagonalAxes(w);
            w.button(3)->trigger();
            clickAt(w, { row.X, 60.0 }, row.button);
            EXPECT_EQ(sessionFlags(w.session()), row.flags);
            // Before the close box, which asks about the changes.
            ASSERT_EQ(h.platform.messages.size(), row.refused ? 1u : 0u);
        });
        if (row.refused) {
            EXPECT_EQ(h.platform.messages[0].text, guard);
            EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("Invalid Operation"));
            EXPECT_EQ(h.platform.messages[0].style, MsgStyle::OkOnly);
        }
    }
}

TEST(PointEditing, RestoreToASideHasNoGuard)
{
    Harness h;
    std::vector<TestPoint> points = diagonalPoints();
    for (TestPoint &p : points)
        p.flag = -2.5f;
    setDataSet(*h.state, points);
    runEditor(h, [&](PlotWindow &w) {
        expectDiagonalAxes(w);
        w.button(5)->trigger();
        clickAt(w, { 43.75, 10.0 }, Qt::RightButton); // x >= 4.5
        EXPECT_EQ(sessionFlags(w.session()),
            (std::vector<float> { -2.5f, -2.5f, -2.5f, -2.5f, 2.5f, 2.5f, 2.5f, 2.5f }));
        clickAt(w, { 99.0, 10.0 }); // beyond the last point: everything
        EXPECT_EQ(sessionFlags(w.session()), std::vector<float>(8, 2.5f));
        EXPECT_TRUE(h.platform.messages.empty());
    });
}

TEST(PointEditing, ModifiersAndOtherButtonsDoNothingInAnyMode)
{
    const struct {
        const char *name;
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
    } rows[] = {
        { "shift", Qt::LeftButton, Qt::ShiftModifier },
        { "ctrl", Qt::LeftButton, Qt::ControlModifier },
        { "alt", Qt::LeftButton, Qt::AltModifier },
        { "shift right", Qt::RightButton, Qt::ShiftModifier },
        { "middle", Qt::MiddleButton, {} },
        { "back", Qt::BackButton, {} },
    };
    Harness h;
    setDataSet(*h.state, diagonalPoints());
    runEditor(h, [&](PlotWindow &w) {
        for (int mode = 1; mode <= 5; ++mode) {
            w.button(mode)->trigger();
            for (const auto &row : rows) {
                SCOPED_TRACE(std::string(row.name) + " in mode " + std::to_string(mode));
                // At point 4, and at a side position that a guard would refuse.
                clickAt(w, diagonalPosition(4), row.button, row.modifiers);
                clickAt(w, { 99.0, 50.0 }, row.button, row.modifiers);
                EXPECT_EQ(sessionFlags(w.session()), std::vector<float>(8, G));
                EXPECT_FALSE(w.interaction().box().BoxDragging);
            }
        }
    });
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(PointEditing, ReadOutShowsThePointerPositionInDataUnits)
{
    Harness h;
    setDataSet(*h.state, { { 5.9f, -0.05f }, { 7.2f, 0.3f } });
    runEditor(h, [&](PlotWindow &w) {
        auto plotOf = [&](float x, float y) { return w.interaction().map().toPlot(x, y); };
        sendMouse(w, QEvent::MouseMove, plotOf(6.5f, 0.1235f), Qt::NoButton);
        EXPECT_EQ(w.xyLabel()->text(), QStringLiteral(" X= 6.5000E+00, Y= 1.235E-01"));
        sendMouse(w, QEvent::MouseMove, plotOf(6.0f, -0.02f), Qt::NoButton);
        EXPECT_EQ(w.xyLabel()->text(), QStringLiteral(" X= 6.0000E+00, Y= -2.000E-02"));
        // Hidden: the label is left alone.
        w.showEmEntry()->trigger();
        sendMouse(w, QEvent::MouseMove, plotOf(7.0f, 0.2f), Qt::NoButton);
        EXPECT_EQ(w.xyLabel()->text(), QStringLiteral(" X= 6.0000E+00, Y= -2.000E-02"));
        // The read-out follows in every mode, also while dragging.
        w.showEmEntry()->trigger();
        w.button(3)->trigger();
        sendMouse(w, QEvent::MouseMove, plotOf(7.0f, 0.2f), Qt::LeftButton);
        EXPECT_EQ(w.xyLabel()->text(), QStringLiteral(" X= 7.0000E+00, Y= 2.000E-01"));
    });
}

TEST(PointEditing, MoreThanFiftyPointsUnderTheCursor)
{
    Harness h;
    // 120 points within the hit radius of (37.5, 37.5); the nearest is 77.
    std::vector<TestPoint> points { { 1.0f, 1.0f }, { 8.0f, 8.0f } };
    for (int k = 0; k < 120; ++k)
        points.push_back(
            { 4.0f + 0.0005f * float(1 + k % 10), 4.0f + 0.0005f * float(1 + k / 10) });
    points[76] = { 4.0f, 4.0f }; // point 77
    points[100] = { 4.0f, 4.0f }; // point 101, a tie
    setDataSet(*h.state, points);
    runEditor(h, [&](PlotWindow &w) {
        expectDiagonalAxes(w);
        w.button(2)->trigger();
        clickAt(w, diagonalPosition(4));
        for (int i = 1; i <= w.session().PlotCount; ++i)
            EXPECT_EQ(w.session().PlotFlag(i) < 0, i == 77) << i;
    });
}
