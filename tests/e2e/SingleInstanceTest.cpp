// SPDX-License-Identifier: GPL-3.0-or-later
#include "Desktop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <signal.h>

TEST(EndToEnd, ASecondInstanceShowsTheMessageAndEnds)
{
    const QString missing = missingDesktopTool();
    if (!missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    TestFolder folder;
    const QString mainTitle = QStringLiteral("Sedora V0.999.0028");

    Kelvane first(folder);
    ASSERT_FALSE(first.waitForWindow(mainTitle, 20000).isEmpty())
        << first.windowTitles().toStdString();

    Kelvane second(folder);
    const QString box = second.waitForWindow(QStringLiteral("Previous Instance"), 10000);
    ASSERT_FALSE(box.isEmpty());
    xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), box });
    xdotool({ QStringLiteral("key"), QStringLiteral("Return") });
    ASSERT_TRUE(second.process().waitForFinished(10000)) << "the second ends after the message";
    EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process().exitCode(), 0);
    EXPECT_EQ(first.process().state(), QProcess::Running) << "the first is not disturbed";

    // A crashed run leaves its guard behind; the next start takes it over.
    ::kill(pid_t(first.process().processId()), SIGKILL);
    first.process().waitForFinished();
    Kelvane third(folder);
    EXPECT_FALSE(third.waitForWindow(mainTitle, 20000).isEmpty())
        << third.windowTitles().toStdString();
    EXPECT_TRUE(third.waitForWindow(QStringLiteral("Previous Instance"), 500).isEmpty());
    EXPECT_EQ(third.process().state(), QProcess::Running);
}
