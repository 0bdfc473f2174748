// The main window on small and large screens under a window manager: placed
// by its outer size, title bar and all inside the screen.
#include "Desktop.h"

#include <gtest/gtest.h>

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
