// SPDX-License-Identifier: GPL-3.0-or-later
// The splash under a window manager, as most desktops start it: without an
// accessibility bus, whose traffic would let a late paint through.
#include "Desktop.h"

#include <gtest/gtest.h>

#include <QThread>

TEST(EndToEnd, TheSplashShowsItsTextsDuringItsPause)
{
    const QString missing = missingDesktopTool();
    if (!missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    WindowManager manager;
    TestFolder folder;
    Kelvane kelvane(folder);
    ASSERT_FALSE(kelvane.waitForWindow(QStringLiteral("Sedora V0.999"), 20000).isEmpty())
        << kelvane.windowTitles().toStdString();
    // The 1.75 s pause begins once the splash has painted, at most 1 s after
    // it maps; a little later, the screen shows it.
    QThread::msleep(900);
    const QString text = readScreenText();
    EXPECT_TRUE(text.contains(QStringLiteral("Editing Program For Analytical")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Ultracentrifugation Data"))) << text.toStdString();
    EXPECT_FALSE(kelvane.waitForWindow(QStringLiteral("Sedora V0.999.0028"), 20000).isEmpty())
        << "the main window follows";
}
