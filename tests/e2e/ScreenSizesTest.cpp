// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on small and large screens under a window manager: placed
// by its outer size, title bar and all inside the screen.
#include "Desktop.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QThread>

TEST(EndToEnd, TheMainWindowFitsSmallAndLargeScreens)
{
    const QString missing = missingDesktopTool();
    if (!missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    const struct {
        QSize screen;
        bool quarter; // room for the quarter placement
    } rows[] = { { { 640, 480 }, false }, { { 800, 600 }, true }, { { 1280, 1024 }, true },
        { { 1920, 1080 }, true } };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.screen.width() << "x" << row.screen.height());
        PrivateDisplay display(row.screen);
        ASSERT_FALSE(display.name().isEmpty());
        WindowManager manager(display.name());
        TestFolder folder;
        Kelvane kelvane(folder, {}, display.name());
        const QString id = kelvane.waitForWindow(QStringLiteral("Sedora V0.999.0028"), 20000);
        ASSERT_FALSE(id.isEmpty()) << kelvane.windowTitles().toStdString();
        QThread::msleep(500); // placed again once its frame is known
        const QRect frame = frameGeometry(id, display.name());
        EXPECT_TRUE(QRect(QPoint(0, 0), row.screen).contains(frame))
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
        if (row.quarter) {
            EXPECT_NEAR(frame.x(), (row.screen.width() - frame.width()) / 4.0, 1.0);
            EXPECT_NEAR(frame.y(), (row.screen.height() - frame.height()) / 4.0, 1.0);
        }
    }
}

TEST(EndToEnd, TheEditorWindowsFrameFollowsTheSizeRules)
{
    const QString missing = missingDesktopTool();
    if (!missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    // 52 % x 65 % of 1280 x 1024 is 665.6 x 665.6: 666 x 666 outside, frame
    // included; centred across, (1024 - 666) / 2 less 3 % of 1024 down.
    const QSize screen(1280, 1024);
    const QRect expected(307, 148, 666, 666);
    PrivateDisplay display(screen);
    ASSERT_FALSE(display.name().isEmpty());
    WindowManager manager(display.name());
    TestFolder folder;
    ASSERT_TRUE(QFile::copy(examplePath(QStringLiteral("radius-scan.dat")),
        folder.path(QStringLiteral("radius-scan.dat"))));
    Kelvane kelvane(folder, { QStringLiteral("radius-scan.dat") }, display.name());
    const QString main = kelvane.waitForWindow(QStringLiteral("Sedora V0.999.0028"), 20000);
    ASSERT_FALSE(main.isEmpty()) << kelvane.windowTitles().toStdString();
    QThread::msleep(500); // the file loads once the window is up
    xdotool({ QStringLiteral("windowactivate"), QStringLiteral("--sync"), main }, display.name());
    xdotool({ QStringLiteral("key"), QStringLiteral("--window"), main, QStringLiteral("ctrl+e") },
        display.name());
    const QString editor = kelvane.waitForWindow(QStringLiteral("Sedora"), 20000);
    ASSERT_FALSE(editor.isEmpty()) << kelvane.windowTitles().toStdString();
    QThread::msleep(500); // placed again once its frame is known
    const QRect frame = frameGeometry(editor, display.name());
    EXPECT_EQ(frame.size(), expected.size());
    EXPECT_NEAR(frame.x(), expected.x(), 1);
    EXPECT_NEAR(frame.y(), expected.y(), 1);
}
