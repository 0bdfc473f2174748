// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/WindowPlacement.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTabWidget>
#include <QTest>

TEST(WindowPlacement, FitInsideMovesAndShrinksIntoTheFreeArea)
{
    const struct {
        const char *name;
        QRect outer, available, fitted;
    } rows[] = {
        { "already inside", { 100, 100, 200, 100 }, { 0, 0, 640, 480 }, { 100, 100, 200, 100 } },
        { "the main window's frame at 640 x 480", { -30, -15, 762, 541 }, { 0, 0, 640, 480 },
            { 0, 0, 640, 480 } },
        { "off the right and bottom", { 500, 430, 200, 100 }, { 0, 0, 640, 480 },
            { 440, 380, 200, 100 } },
        { "below a top panel", { 10, 0, 100, 100 }, { 0, 24, 1280, 1000 }, { 10, 24, 100, 100 } },
        { "right edge exactly on the screen's", { 540, 0, 100, 100 }, { 0, 0, 640, 480 },
            { 540, 0, 100, 100 } },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FitInside(row.outer, row.available), row.fitted);
    }
}

TEST(WindowPlacement, TheMainWindowStaysOnASmallScreenAndItsViewsGrow)
{
    Harness small(NumLib::defaultCandidates(), QSize(640, 480));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(small.window.get()));
    const QRect frame = small.window->frameGeometry();
    EXPECT_GE(frame.left(), 0);
    EXPECT_GE(frame.top(), 0);
    EXPECT_LE(frame.right(), 639);
    EXPECT_LE(frame.bottom(), 479);

    Harness h;
    const QSize before = h.window->tabs()->size();
    EXPECT_EQ(before, QSize(744, 480));
    h.window->resize(h.window->width() + 200, h.window->height() + 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(h.window->tabs()->size(), before + QSize(200, 100));
}
