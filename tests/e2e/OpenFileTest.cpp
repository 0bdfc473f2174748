// SPDX-License-Identifier: GPL-3.0-or-later
#include "Desktop.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace
{

const QString MainTitle = QStringLiteral("Sedora V0.999.0028");

QString missingTool()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("needs an X display (scripts/test runs these under Xvfb)");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        return QStringLiteral("needs xdotool (scripts/setup installs it)");
    return {};
}

} // namespace

TEST(EndToEnd, AFileOnTheCommandLineIsLoadedIntoItsFolder)
{
    if (const QString missing = missingTool(); !missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    TestFolder folder;
    QDir(folder.root()).mkpath(QStringLiteral("scans"));
    ASSERT_TRUE(QFile::copy(examplePath(QStringLiteral("radius-scan.dat")),
        folder.path(QStringLiteral("scans/radius-scan.dat"))));

    // Relative, as a shell passes it: taken against the folder it started in.
    Kelvane kelvane(folder, { QStringLiteral("scans/radius-scan.dat") });
    ASSERT_FALSE(kelvane.waitForWindow(MainTitle, 30000).isEmpty())
        << kelvane.windowTitles().toStdString();
    // Two comment lines and 434 points.
    const QByteArray work
        = waitForLines(folder.path(QStringLiteral("scans/~kelvane.tmp")), 436, 20000);
    EXPECT_EQ(work.count("\r\n"), 436);
    EXPECT_TRUE(work.startsWith("Sedora example: sedimentation velocity, cell 1, 280 nm"));
    EXPECT_FALSE(QFile::exists(folder.path(QStringLiteral("~kelvane.tmp"))))
        << "not in the folder the program was started in";
    EXPECT_TRUE(kelvane.waitForWindow(QStringLiteral("Get Data File"), 500).isEmpty())
        << "no message";
    EXPECT_EQ(kelvane.process().state(), QProcess::Running);

    // The file went to the recent files in the settings file.
    const QByteArray recent = GetProfileString(
        folder.path(QStringLiteral("Kelvane.ini")), "RecentFiles", "File1", "", 4096);
    EXPECT_EQ(recent, folder.path(QStringLiteral("scans/radius-scan.dat")).toUtf8());
}

TEST(EndToEnd, AMissingFileIsReportedAndTheProgramRunsOn)
{
    if (const QString missing = missingTool(); !missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    TestFolder folder;
    Kelvane kelvane(folder, { QStringLiteral("no-such-scan.dat") });
    ASSERT_FALSE(kelvane.waitForWindow(MainTitle, 30000).isEmpty())
        << kelvane.windowTitles().toStdString();
    const QString box = kelvane.waitForWindow(QStringLiteral("Get Data File"), 20000);
    ASSERT_FALSE(box.isEmpty()) << kelvane.windowTitles().toStdString();
    xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), box });
    xdotool({ QStringLiteral("key"), QStringLiteral("Return") });

    QDeadlineTimer deadline(10000);
    while (!kelvane.waitForWindow(QStringLiteral("Get Data File"), 100).isEmpty()
        && !deadline.hasExpired())
        QThread::msleep(100);
    EXPECT_TRUE(kelvane.waitForWindow(QStringLiteral("Get Data File"), 100).isEmpty())
        << "the message closes";
    EXPECT_FALSE(kelvane.waitForWindow(MainTitle, 1000).isEmpty());
    EXPECT_EQ(kelvane.process().state(), QProcess::Running);
    EXPECT_FALSE(QFile::exists(folder.path(QStringLiteral("~kelvane.tmp"))));
}
