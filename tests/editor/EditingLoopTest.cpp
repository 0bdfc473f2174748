// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EditorSupport.h"

#include "base/Platform.h"
#include "editor/PlotRender.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <set>
#include <vector>

namespace
{

void key(PlotWindow &w, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(&w, k, modifiers);
}

void undo(PlotWindow &w)
{
    key(w, Qt::Key_Z, Qt::ControlModifier);
}

// The working file after a session of `edits` left with Ctrl+Enter.
QByteArray committedWorkFile(const std::function<void(PlotWindow &)> &edits)
{
    Harness h;
    setDataSet(*h.state, diagonalPoints());
    runEditor(h, [&](PlotWindow &w) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        edits(w);
        key(w, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_FALSE(w.isVisible());
    });
    EXPECT_TRUE(h.state->CommitEdits);
    EXPECT_TRUE(h.platform.messages.empty());
    return h.workFile();
}

const float G = 100.0f;
const float R = -100.0f;

} // namespace

TEST(EditingLoop, UndoAndRedoReachTheWorkingFileAsTheFlagsStand)
{
    // Points 2 and 7 removed, the rest good, reached three ways.
    const QByteArray direct = committedWorkFile([](PlotWindow &w) {
        w.button(2)->trigger();
        clickAt(w, diagonalPosition(2));
        clickAt(w, diagonalPosition(7));
        EXPECT_EQ(sessionFlags(w.session()), (std::vector<float> { G, R, G, G, G, G, R, G }));
    });
    const QByteArray undone = committedWorkFile([](PlotWindow &w) {
        w.button(2)->trigger();
        clickAt(w, diagonalPosition(2));
        w.button(3)->trigger();
        clickAt(w, { 40.0, 50.0 }, Qt::RightButton); // x >= 4.2: points 5..8
        w.button(4)->trigger();
        clickAt(w, diagonalPosition(5));
        undo(w); // point 5 removed again
        undo(w); // points 5..8 good again
        EXPECT_EQ(sessionFlags(w.session()), (std::vector<float> { G, R, G, G, G, G, G, G }));
        key(w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); // 5..8 removed
        undo(w);
        w.button(2)->trigger();
        clickAt(w, diagonalPosition(7));
    });
    const QByteArray redone = committedWorkFile([](PlotWindow &w) {
        w.button(2)->trigger();
        clickAt(w, diagonalPosition(2));
        clickAt(w, diagonalPosition(7));
        undo(w);
        undo(w);
        undo(w); // nothing more to undo
        EXPECT_EQ(sessionFlags(w.session()), std::vector<float>(8, G));
        key(w, Qt::Key_Y, Qt::ControlModifier);
        key(w, Qt::Key_Y, Qt::ControlModifier);
        key(w, Qt::Key_Y, Qt::ControlModifier); // nothing more to redo
    });
    EXPECT_FALSE(direct.isEmpty());
    EXPECT_EQ(undone, direct);
    EXPECT_EQ(redone, direct);
    EXPECT_NE(direct, committedWorkFile([](PlotWindow &) {}));
}

TEST(EditingLoop, ZoomStepsGoBackWithBackspaceHomeAndUndo)
{
    Harness h;
    setDataSet(*h.state, diagonalPoints());
    runEditor(h, [&](PlotWindow &w) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        const PlotSession &s = w.session();
        const PlotRangeValues full = RangeOf(s);
        dragBox(w, { 10, 10 }, { 80, 80 }); // points 2..7
        const PlotRangeValues first = RangeOf(s);
        ASSERT_NE(first, full);
        dragBox(w, { 30, 30 }, { 70, 70 });
        const PlotRangeValues second = RangeOf(s);
        ASSERT_NE(second, first);
        EXPECT_TRUE(w.zoomOutEntry()->isEnabled());

        key(w, Qt::Key_Backspace);
        EXPECT_EQ(RangeOf(s), first);
        EXPECT_TRUE(w.zoomOutEntry()->isEnabled());
        key(w, Qt::Key_Backspace);
        EXPECT_EQ(RangeOf(s), full);
        EXPECT_FALSE(w.zoomOutEntry()->isEnabled());
        key(w, Qt::Key_Backspace); // nothing to go back to
        EXPECT_EQ(RangeOf(s), full);

        undo(w); // the second step back
        EXPECT_EQ(RangeOf(s), first);
        EXPECT_TRUE(w.zoomOutEntry()->isEnabled());
        key(w, Qt::Key_Home);
        EXPECT_EQ(RangeOf(s), full);
        EXPECT_FALSE(w.zoomOutEntry()->isEnabled());
        undo(w); // the zoom out
        EXPECT_EQ(RangeOf(s), first);
        undo(w); // the first step back
        EXPECT_EQ(RangeOf(s), second);
        // The axes follow each step.
        EXPECT_EQ(w.interaction().map().xStart(), w.canvas()->plot()->x.start);
        EXPECT_LT(w.canvas()->plot()->x.end - w.canvas()->plot()->x.start, 8.0f);
    });
    // Zooming is no change of the data set: closing asks nothing.
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(EditingLoop, KeysChooseTheModesAndTheButtonsSayWhich)
{
    Harness h;
    setDataSet(*h.state, diagonalPoints());
    runEditor(h, [&](PlotWindow &w) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        const Qt::Key keys[] = { Qt::Key_3, Qt::Key_5, Qt::Key_2, Qt::Key_4, Qt::Key_1 };
        for (Qt::Key k : keys) {
            const int mode = k - Qt::Key_0;
            SCOPED_TRACE(mode);
            key(w, k);
            EXPECT_EQ(w.interaction().mode(), EditMode(mode));
            for (int index = 1; index <= 5; ++index)
                EXPECT_EQ(w.button(index)->isChecked(), index == mode);
        }
        const char *descriptions[] = { "Key: 1", "Key: 2", "Key: 3", "Key: 4", "Key: 5", "",
            "Key: Ctrl+Enter", "Key: Esc" };
        const char *tips[] = { "Zoom Using LMB", "Remove point at Cursor",
            "Remove points to left or right with LMB or RMB", "Restore point at the cursor",
            "Restore points to left or right with LMB or RMB", "", "Exit and update data set",
            "Discard edit, then exit" };
        for (int index : { 1, 2, 3, 4, 5, 7, 8 }) {
            SCOPED_TRACE(index);
            EXPECT_EQ(w.button(index)->toolTip(), QLatin1String(tips[index - 1]));
            QWidget *button = w.toolbar(1)->widgetForAction(w.button(index));
            ASSERT_TRUE(button);
            EXPECT_EQ(button->accessibleDescription(), QLatin1String(descriptions[index - 1]));
            EXPECT_EQ(button->toolTip(), QLatin1String(tips[index - 1]));
        }
    });
}

TEST(EditingLoop, DiscardAsksOnlyAfterChangesAndNoKeepsTheWindow)
{
    const struct {
        const char *name;
        std::function<void(PlotWindow &)> leave;
    } ways[] = {
        { "discard button", [](PlotWindow &w) { w.button(8)->trigger(); } },
        { "Esc", [](PlotWindow &w) { key(w, Qt::Key_Escape); } },
        { "close box", [](PlotWindow &w) { w.close(); } },
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.name);
        Harness h;
        setDataSet(*h.state, diagonalPoints());
        const QByteArray before = h.workFile();
        // Without changes (a removal taken back counts as none) it closes at once.
        runEditor(h, [&](PlotWindow &w) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
            w.button(2)->trigger();
            clickAt(w, diagonalPosition(4));
            undo(w);
            way.leave(w);
            EXPECT_FALSE(w.isVisible());
        });
        EXPECT_TRUE(h.platform.messages.empty());

        h.platform.messageAnswers = { MsgAnswer::No, MsgAnswer::Yes };
        runEditor(h, [&](PlotWindow &w) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
            w.button(3)->trigger();
            clickAt(w, { 30.0, 50.0 }); // x <= 3.4: points 1..3
            w.button(2)->trigger();
            clickAt(w, diagonalPosition(8));
            way.leave(w);
            ASSERT_TRUE(w.isVisible());
            ASSERT_EQ(h.platform.messages.size(), 1u);
            EXPECT_EQ(
                h.platform.messages[0].text, QStringLiteral("Discard the changes to 4 points?"));
            EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("Discard Edit"));
            EXPECT_EQ(h.platform.messages[0].style, MsgStyle::YesNo | MsgStyle::Question);
            // The session goes on as it was.
            EXPECT_EQ(sessionFlags(w.session()), (std::vector<float> { R, R, R, G, G, G, G, R }));
            way.leave(w);
            EXPECT_FALSE(w.isVisible());
        });
        EXPECT_EQ(h.platform.messages.size(), 2u);
        EXPECT_FALSE(h.state->CommitEdits);
        EXPECT_EQ(h.workFile(), before);
        EXPECT_EQ(h.state->DataPts.flag(1), G);
    }
}

TEST(EditingLoop, CommitNeverAsks)
{
    Harness h;
    setDataSet(*h.state, diagonalPoints());
    runEditor(h, [&](PlotWindow &w) {
        w.button(2)->trigger();
        clickAt(w, diagonalPosition(1));
        w.button(7)->trigger();
    });
    EXPECT_TRUE(h.platform.messages.empty());
    EXPECT_TRUE(h.state->CommitEdits);
    EXPECT_EQ(h.state->DataPts.flag(1), R);
}

TEST(EditingLoop, EachModeHasItsOwnCursor)
{
    Harness h;
    setDataSet(*h.state, diagonalPoints());
    runEditor(h, [&](PlotWindow &w) {
        std::set<Qt::CursorShape> shapes;
        EXPECT_EQ(w.canvas()->cursor().shape(), Qt::CrossCursor);
        for (int mode : { 1, 2, 3, 4, 5 }) {
            w.button(mode)->trigger();
            shapes.insert(w.canvas()->cursor().shape());
        }
        EXPECT_EQ(shapes.size(), 5u);
        EXPECT_EQ(w.canvas()->cursor().shape(), Qt::SizeHorCursor);
    });
}

TEST(EditingLoop, TheRingMarksThePointAClickWouldChange)
{
    Harness h;
    std::vector<TestPoint> points = diagonalPoints();
    points[5].flag = -2.5f;
    setDataSet(*h.state, points);
    runEditor(h, [&](PlotWindow &w) {
        PlotCanvas *canvas = w.canvas();
        auto hover = [&](QPointF plot) { sendMouse(w, QEvent::MouseMove, plot, Qt::NoButton); };
        hover(diagonalPosition(3));
        EXPECT_FALSE(canvas->ring()) << "no ring in zoom mode";

        w.button(2)->trigger();
        hover(diagonalPosition(3) + QPointF(0.6, -0.6));
        ASSERT_TRUE(canvas->ring());
        EXPECT_EQ(*canvas->ring(), diagonalPosition(3));
        EXPECT_EQ(canvas->toolTip(),
            QStringLiteral("Point 3: x = 3.0000E+00, concentration = 3.000E+00, flag = 100"));
        hover(diagonalPosition(3) + QPointF(0.8, 0.8)); // 1.13 plot units: beyond the hit radius
        EXPECT_FALSE(canvas->ring());
        EXPECT_TRUE(canvas->toolTip().isEmpty());

        // Restore mode rings removed points as well as good ones, as a click does.
        w.button(4)->trigger();
        hover(diagonalPosition(6));
        ASSERT_TRUE(canvas->ring());
        EXPECT_TRUE(canvas->toolTip().startsWith(QStringLiteral("Point 6: x = 6.0000E+00")));
        EXPECT_TRUE(canvas->toolTip().endsWith(QStringLiteral("flag = -2.5")));
        // A click there changes that point, and the tip follows.
        clickAt(w, diagonalPosition(6));
        EXPECT_FLOAT_EQ(w.session().PlotFlag(6), 2.5f);
        EXPECT_TRUE(canvas->toolTip().endsWith(QStringLiteral("flag = 2.5")));

        // The side modes draw a line at the pointer instead.
        w.button(3)->trigger();
        EXPECT_FALSE(canvas->ring());
        ASSERT_TRUE(canvas->sideLine());
        EXPECT_FLOAT_EQ(*canvas->sideLine(), float(diagonalPosition(6).x()));
        hover({ 130.0, 50.0 }); // beyond the box: no line
        EXPECT_FALSE(canvas->sideLine());
        w.button(1)->trigger();
        hover(diagonalPosition(6));
        EXPECT_FALSE(canvas->sideLine());
    });
}

TEST(EditingLoop, TheRingFollowsTheClickRuleBetweenTwoClosePoints)
{
    Harness h;
    // Points 4 and 5 close together: x = 4 and 4.1 (1.25 plot units apart).
    std::vector<TestPoint> points = diagonalPoints();
    points[4] = { 4.1f, 4.0f };
    std::sort(points.begin(), points.end(), [](auto &a, auto &b) { return a.x < b.x; });
    setDataSet(*h.state, points);
    runEditor(h, [&](PlotWindow &w) {
        w.button(2)->trigger();
        const QPointF p4 = plotPositionOf(w, 4);
        const QPointF p5 = plotPositionOf(w, 5);
        for (double t : { 0.3, 0.49, 0.5, 0.51, 0.7 }) {
            SCOPED_TRACE(t);
            const QPointF between = p4 + (p5 - p4) * t;
            sendMouse(w, QEvent::MouseMove, between, Qt::NoButton);
            ASSERT_TRUE(w.canvas()->ring());
            const int ringed = *w.canvas()->ring() == p4 ? 4 : 5;
            clickAt(w, between);
            EXPECT_LT(w.session().PlotFlag(ringed), 0.0f);
            EXPECT_GT(w.session().PlotFlag(9 - ringed), 0.0f);
            undo(w);
        }
    });
}

TEST(EditingLoop, MarkersAreHollowRemovedOverGoodAndWholeAtTheBoxEdge)
{
    Harness h;
    // Point 2 sits just inside the left axis end; points 4 and 5 coincide,
    // 5 removed.
    setDataSet(*h.state,
        { { 0.0f, 0.0f }, { 0.02f, 5.0f }, { 3.0f, 3.0f }, { 5.0f, 5.0f }, { 5.0f, 5.0f, -100.0f },
            { 10.0f, 10.0f } });
    h.state->GoodRed = 0;
    h.state->GoodGreen = 0;
    h.state->GoodBlue = 255;
    h.state->DelRed = 255;
    h.state->DelGreen = 0;
    h.state->DelBlue = 0;
    runEditor(h, [&](PlotWindow &w) {
        const QImage image = w.plotImage();
        const SurfaceMap surface = w.canvas()->surfaceMap();
        const QColor background = w.canvas()->palette().color(QPalette::Window);
        ASSERT_EQ(w.canvas()->plot()->x.start, 0.0f);
        // The centre of a marker is the box's white; its circle the colour.
        EXPECT_EQ(
            image.pixelColor(surface.toPixel(plotPositionOf(w, 3)).toPoint()), QColor(Qt::white));
        EXPECT_TRUE(nearColour(markerColourAt(w, image, plotPositionOf(w, 3)), Qt::blue));
        EXPECT_TRUE(nearColour(markerColourAt(w, image, plotPositionOf(w, 4)), Qt::red));
        // Left of the frame beside point 2 its circle goes on, and further
        // left only the window's background.
        const QPointF p2 = surface.toPixel(plotPositionOf(w, 2));
        const QPointF edge = surface.toPixel({ 0, 0 });
        const double reach = w.canvas()->plot()->markerRadius * surface.pixelsPerUnitX() + 2.0;
        int blue = 0;
        for (int x = int(p2.x()) - 12; x < int(edge.x()) - 1; ++x)
            for (int y = int(p2.y()) - 12; y <= int(p2.y()) + 12; ++y) {
                const QColor c = image.pixelColor(x, y);
                if (x < p2.x() - reach) {
                    ASSERT_EQ(c, background) << x << "," << y;
                }
                blue += c.blue() - std::max(c.red(), c.green()) > 60 ? 1 : 0;
            }
        EXPECT_GT(blue, 3);
    });
}

TEST(EditingLoop, RepairedSpotsMatchAFullPaint)
{
    Harness h;
    setDataSet(*h.state, diagonalPoints());
    runEditor(h, [&](PlotWindow &w) {
        w.button(2)->trigger();
        for (int i : { 3, 4, 8 })
            clickAt(w, diagonalPosition(i));
        w.button(4)->trigger();
        clickAt(w, diagonalPosition(4));
        undo(w);
        const QColor background = w.canvas()->palette().color(QPalette::Window);
        const QImage full = RenderPlotImage(*w.canvas()->plot(), background);
        EXPECT_EQ(w.plotImage().convertToFormat(QImage::Format_RGB32), full);
        EXPECT_EQ(w.canvas()->plot()->deletedMarkers.size(), 3u);
    });
}
