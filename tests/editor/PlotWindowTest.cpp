// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EditorSupport.h"

#include "base/Platform.h"
#include "base/WindowPlacement.h"
#include "editor/PlotCanvas.h"
#include "editor/PlotGeometry.h"
#include "editor/PlotWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace
{

int countMessages(const Harness &h, const QString &text)
{
    int n = 0;
    for (const RecordedMessage &m : h.platform.messages)
        n += m.text == text ? 1 : 0;
    return n;
}

const QString AllX = QStringLiteral("WARNING:  All X values are identical.");
const QString AllY = QStringLiteral("WARNING:  All Y values are identical.");

} // namespace

TEST(PlotWindow, SizeFontsAndToolbarFollowTheScreenWidth)
{
    const struct {
        const char *name;
        QSize screen;
        QSize window;
        QPoint at;
        double stripPoints;
        bool largeToolbar;
    } rows[] = {
        // The window applies LayoutPlotwork, whose table is in PlotMapTest:
        // one screen of each branch.
        { "640 keeps the design size", { 640, 480 }, { 410, 384 }, { 115, 34 }, 9.75, false },
        { "801 large toolbar", { 801, 600 }, { 417, 390 }, { 192, 87 }, 8.0, true },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Harness h;
        h.platform.screen = row.screen;
        PlotWindow window(h.platform, h.numlib, PlotSessionFrom(*h.state));
        // Outer sizes and places: the frame (as seen on earlier windows) is
        // within the size.
        EXPECT_EQ(window.size().grownBy(LastFrameMargins()), row.window);
        EXPECT_EQ(window.pos(), row.at);
        EXPECT_DOUBLE_EQ(window.xyLabel()->font().pointSizeF(), row.stripPoints);
        EXPECT_DOUBLE_EQ(window.outFileLabel()->font().pointSizeF(), row.stripPoints);
        EXPECT_DOUBLE_EQ(window.xyCoords()->font().pointSizeF(), row.stripPoints);
        EXPECT_TRUE(window.xyCoords()->font().bold());
        EXPECT_FALSE(window.xyLabel()->font().bold());
        EXPECT_EQ(window.toolbar(1)->isHidden(), !row.largeToolbar);
        EXPECT_EQ(window.toolbar(2)->isHidden(), row.largeToolbar);
        EXPECT_EQ(window.toolbar(1)->iconSize(), QSize(32, 32));
        EXPECT_EQ(window.toolbar(2)->iconSize(), QSize(16, 16));
    }
}

TEST(PlotWindow, LoadStateMenusAndButtons)
{
    Harness h;
    h.state->CommitEdits = true;
    PlotWindow window(h.platform, h.numlib, PlotSessionFrom(*h.state));
    EXPECT_EQ(window.objectName(), QStringLiteral("Plotwork"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Sedora"));
    EXPECT_FALSE(window.outcome().CommitEdits);
    EXPECT_EQ(window.interaction().mode(), EditMode::Zoom);
    EXPECT_FLOAT_EQ(window.form().MarkerScale, 1.5f);
    EXPECT_FLOAT_EQ(window.form().TitleFontRatio, 0.0014f);
    EXPECT_FLOAT_EQ(window.form().SideFontRatio, 0.0024f);

    const char *tips[] = { "Zoom Using LMB", "Remove point at Cursor",
        "Remove points to left or right with LMB or RMB", "Restore point at the cursor",
        "Restore points to left or right with LMB or RMB", "", "Exit and update data set",
        "Discard edit, then exit" };
    for (int index = 1; index <= 8; ++index) {
        SCOPED_TRACE(index);
        QAction *button = window.button(index);
        EXPECT_EQ(button->isSeparator(), index == 6);
        EXPECT_EQ(button->isCheckable(), index <= 5);
        EXPECT_EQ(button->isChecked(), index == 1);
        if (index == 6)
            continue;
        EXPECT_EQ(button->toolTip(), QLatin1String(tips[index - 1]));
        EXPECT_FALSE(button->icon().isNull());
        for (int bar = 1; bar <= 2; ++bar) {
            QWidget *widget = window.toolbar(bar)->widgetForAction(button);
            ASSERT_TRUE(widget);
            EXPECT_EQ(widget->accessibleName(), QLatin1String(tips[index - 1]));
        }
    }
    // One exclusive group: pressing another mode releases the first.
    window.button(3)->trigger();
    EXPECT_EQ(window.interaction().mode(), EditMode::RemoveSide);
    EXPECT_FALSE(window.button(1)->isChecked());
    EXPECT_TRUE(window.button(3)->isChecked());

    QStringList top;
    for (const QAction *action : window.menus()->actions())
        top << action->text();
    EXPECT_EQ(top,
        (QStringList {
            "&ZoomOut", "&Hide (X,Y)", "&Printer", "&Copy", "Su&ggest", "&ln c vs r\u00b2/2..." }));
    EXPECT_FALSE(window.zoomOutEntry()->isEnabled());
    EXPECT_EQ(window.zoomOutEntry()->objectName(), QStringLiteral("Zoomout"));
    EXPECT_EQ(window.printEntry()->text(), QStringLiteral("Print"));
    EXPECT_EQ(window.clipboardEntry()->text(), QStringLiteral("To Clipboard"));
    EXPECT_EQ(window.bitmapEntry()->text(), QStringLiteral("To File (Bitmap)"));
    EXPECT_TRUE(window.printEntry()->isEnabled());
    EXPECT_TRUE(window.clipboardEntry()->isEnabled());
    EXPECT_TRUE(window.bitmapEntry()->isEnabled());
    // No printer installed on the scripted machine.
    EXPECT_FALSE(window.printerMenu()->menuAction()->isEnabled());
}

TEST(PlotWindow, ReadOutStripToggles)
{
    Harness h;
    h.state->ShowXY = false;
    PlotWindow window(h.platform, h.numlib, PlotSessionFrom(*h.state));
    EXPECT_TRUE(window.xyCoords()->isHidden());
    EXPECT_EQ(window.showEmEntry()->text(), QStringLiteral("&Show (X,Y)"));
    window.showEmEntry()->trigger();
    EXPECT_FALSE(window.xyCoords()->isHidden());
    EXPECT_EQ(window.showEmEntry()->text(), QStringLiteral("&Hide (X,Y)"));
    EXPECT_TRUE(window.form().XYShown);
    window.showEmEntry()->trigger();
    EXPECT_TRUE(window.xyCoords()->isHidden());
    EXPECT_EQ(window.showEmEntry()->text(), QStringLiteral("&Show (X,Y)"));
    EXPECT_FALSE(window.form().XYShown);
}

TEST(PlotWindow, OpensOnARealDataSetAndStoresTheAxes)
{
    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    ASSERT_GT(h.state->NumPts, 400);
    runEditor(h, [&](PlotWindow &w) {
        const PlotFormState &f = w.form();
        EXPECT_FLOAT_EQ(f.PixelWidth, float(w.canvas()->width()));
        EXPECT_FLOAT_EQ(f.PixelHeight, float(w.canvas()->height()));
        EXPECT_LE(f.XAxisStart, h.state->PlotXMin);
        EXPECT_GE(f.XAxisEnd, h.state->PlotXMax);
        EXPECT_FLOAT_EQ(f.XScale, 100.0f / (f.XAxisEnd - f.XAxisStart));
        EXPECT_FLOAT_EQ(f.MarkerBase, 0.65f);
        ASSERT_TRUE(w.canvas()->plot());
        EXPECT_GT(w.canvas()->plot()->goodMarkers.size(), 400u);
        // Strip: the read-out over the left half, the other label from the middle.
        const int outer = w.frameGeometry().width();
        EXPECT_EQ(w.xyLabel()->width(), RoundEven(outer / 2.0));
        EXPECT_EQ(w.outFileLabel()->x(), RoundEven(outer / 2.0));
        EXPECT_EQ(w.outFileLabel()->width(), RoundEven(0.95 * outer / 2.0));
    });
    EXPECT_TRUE(h.platform.messages.empty());
    EXPECT_EQ(h.state->PlotTitle, QStringLiteral("Editing Data Set "));
    EXPECT_EQ(h.state->XAxisLabel, QStringLiteral("Radius (cm)"));
}

TEST(PlotWindow, AllXEqualWarnsOnceThenDrawsTheWidenedRange)
{
    Harness h;
    setDataSet(*h.state, { { 3.0f, 0.1f }, { 3.0f, 0.2f }, { 3.0f, 0.4f } });
    runEditor(h, [&](PlotWindow &w) {
        EXPECT_EQ(countMessages(h, AllX), 1);
        EXPECT_FLOAT_EQ(w.session().PlotXMin, 1.5f);
        EXPECT_FLOAT_EQ(w.session().PlotXMax, 6.0f);
        w.resize(w.width() + 40, w.height() + 30);
        QCoreApplication::processEvents();
        w.Form_Paint();
        EXPECT_EQ(countMessages(h, AllX), 1);
    });
    ASSERT_EQ(h.platform.messages.size(), 1u);
    EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("Data Error"));
    EXPECT_EQ(h.platform.messages[0].style, MsgStyle::Exclamation);
}

TEST(PlotWindow, AllYZeroWarnsAtEveryCausedPaintButNotWhenUncovered)
{
    Harness h;
    setDataSet(*h.state, { { 5.9f, 0.0f }, { 6.0f, 0.0f }, { 6.1f, 0.0f } });
    runEditor(h, [&](PlotWindow &w) {
        EXPECT_EQ(countMessages(h, AllY), 1);
        EXPECT_FLOAT_EQ(w.form().YAxisStart, -2.0f);
        EXPECT_FLOAT_EQ(w.form().YAxisEnd, 2.0f);
        EXPECT_EQ(w.canvas()->plot()->y.ticks, 5);
        // Uncovering only redraws what was computed.
        w.canvas()->repaint();
        QCoreApplication::processEvents();
        EXPECT_EQ(countMessages(h, AllY), 1);
        // A resize is a paint the user caused: several resize events at once
        // give one warning.
        w.resize(w.width() + 40, w.height() + 30);
        w.resize(w.width() + 10, w.height() + 10);
        QCoreApplication::processEvents();
        EXPECT_EQ(countMessages(h, AllY), 2);
        w.Form_Paint();
        EXPECT_EQ(countMessages(h, AllY), 3);
        // A minimized window draws nothing and so warns about nothing.
        w.setWindowState(Qt::WindowMinimized);
        w.Form_Paint();
        EXPECT_EQ(countMessages(h, AllY), 3);
    });
    EXPECT_EQ(countMessages(h, AllX), 0);
}

TEST(PlotWindow, DrawsMarkersFrameAndNoPointOutsideTheBox)
{
    Harness h;
    // A good and a removed point inside a zoomed range, and points outside it.
    setDataSet(*h.state,
        { { 0.0f, 0.5f }, { 2.0f, 3.0f }, { 4.0f, 5.0f, -100.0f }, { 6.0f, 7.0f }, { 8.0f, 5.0f },
            { 10.0f, 9.5f }, { 5.0f, 20.0f } });
    h.state->GoodRed = 0;
    h.state->GoodGreen = 0;
    h.state->GoodBlue = 255;
    runEditor(h, [&](PlotWindow &w) {
        w.session().PlotXMin = 2.0f;
        w.session().PlotXMax = 8.0f;
        w.session().PlotYMin = 3.0f;
        w.session().PlotYMax = 7.0f;
        w.Form_Paint();
        const QImage image = w.plotImage();
        const PlotGeometry &g = *w.canvas()->plot();
        const SurfaceMap surface = w.canvas()->surfaceMap();
        ASSERT_EQ(image.size(), w.canvas()->size());
        const QColor blue(0, 0, 255);
        const QColor red(255, 0, 0);
        // Hollow markers: the colour on the circle, the box's white inside.
        EXPECT_TRUE(nearColour(markerColourAt(w, image, plotPositionOf(w, *h.state, 4)), blue));
        EXPECT_TRUE(nearColour(markerColourAt(w, image, plotPositionOf(w, *h.state, 3)), red));
        EXPECT_EQ(image.pixelColor(surface.toPixel(plotPositionOf(w, *h.state, 4)).toPoint()),
            QColor(Qt::white));
        // The frame: black on the left edge and the bottom edge, white inside.
        const QPointF left = surface.toPixel({ 0, 50 });
        const QPointF bottom = surface.toPixel({ 50, 0 });
        EXPECT_EQ(image.pixelColor(int(left.x()), int(left.y())), QColor(Qt::black));
        EXPECT_EQ(image.pixelColor(int(bottom.x()), int(bottom.y())), QColor(Qt::black));
        EXPECT_EQ(image.pixelColor(surface.toPixel({ 50, 95 }).toPoint()), QColor(Qt::white));
        // No marker colour anywhere outside the box, but for the outer half
        // of a marker on its edge.
        const QRectF box(surface.toPixel({ 0, 100 }), surface.toPixel({ 100, 0 }));
        const double reach = g.markerRadius * surface.pixelsPerUnitX() + 2.0;
        int outside = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!box.adjusted(-reach, -reach, reach, reach).contains(QPointF(x, y))) {
                    const QColor c = image.pixelColor(x, y);
                    outside += c == blue || c == red ? 1 : 0;
                }
        EXPECT_EQ(outside, 0);
        EXPECT_EQ(g.goodMarkers.size() + g.deletedMarkers.size(), 4u);
    });
}
