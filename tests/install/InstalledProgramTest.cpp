// SPDX-License-Identifier: GPL-3.0-or-later
// The installed program as a desktop starts it: installed into a fresh
// prefix, started from there on a display of its own with a file, and
// nothing in the environment to help it find its library.
#include "e2e/Desktop.h"
#include "shell/StartUp.h"
#include "shell/Version.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QThread>

namespace
{

QString missingTool()
{
    for (const char *tool : { "Xvfb", "xdotool", "openbox", "import", "tesseract" }) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("needs %1 (scripts/setup installs it)").arg(QLatin1String(tool));
    }
    return {};
}

// cmake --install of this build into `prefix`; its output when it failed.
QString install(const QString &prefix)
{
    QProcess cmake;
    cmake.setProcessChannelMode(QProcess::MergedChannels);
    cmake.start(QStringLiteral(KELVANE_CMAKE_COMMAND),
        { QStringLiteral("--install"), QStringLiteral(KELVANE_BUILD_DIR),
            QStringLiteral("--prefix"), prefix });
    if (!cmake.waitForFinished(120000) || cmake.exitStatus() != QProcess::NormalExit
        || cmake.exitCode() != 0)
        return QString::fromLocal8Bit(cmake.readAll()) + cmake.errorString();
    return {};
}

QString windowOf(qint64 pid, const QString &title, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    do {
        const QString ids = xdotool({ QStringLiteral("search"), QStringLiteral("--all"),
            QStringLiteral("--pid"), QString::number(pid), QStringLiteral("--name"),
            QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$') });
        if (!ids.isEmpty())
            return ids.split(QLatin1Char('\n')).constLast();
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return {};
}

} // namespace

TEST(InstalledProgram, StartsFromItsPrefixWithAFileAndLoadsItsOwnLibrary)
{
    if (const QString missing = missingTool(); !missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    TestFolder folder;
    const QString prefix = folder.path(QStringLiteral("prefix"));
    const QString failed = install(prefix);
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
    QDir(folder.root()).mkpath(QStringLiteral("home/scans"));
    ASSERT_TRUE(QFile::copy(examplePath(QStringLiteral("radius-scan.dat")),
        folder.path(QStringLiteral("home/scans/radius-scan.dat"))));

    PrivateDisplay display(QSize(1280, 1024));
    ASSERT_FALSE(display.name().isEmpty()) << "Xvfb did not start";
    // The helpers and the screen grab work on the test's DISPLAY.
    qputenv("DISPLAY", display.name().toLocal8Bit());
    WindowManager manager;

    const QString home = folder.path(QStringLiteral("home"));
    const QString runtime = folder.path(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(
        runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "LD_LIBRARY_PATH", "LD_PRELOAD", "QT_QPA_PLATFORM",
             "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS" })
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    QProcess kelvane;
    kelvane.setProcessEnvironment(env);
    kelvane.setWorkingDirectory(home);
    kelvane.start(
        prefix + QStringLiteral("/bin/kelvane"), { QStringLiteral("scans/radius-scan.dat") });
    ASSERT_TRUE(kelvane.waitForStarted()) << kelvane.errorString().toStdString();
    const auto stop = qScopeGuard([&kelvane] {
        kelvane.kill();
        kelvane.waitForFinished();
    });

    const QString title = QStringLiteral("Sedora V")
        + BuildAppVersion(Version::Major, Version::Minor, Version::Revision);
    ASSERT_FALSE(windowOf(kelvane.processId(), title, 30000).isEmpty())
        << "no main window: " << kelvane.readAllStandardError().toStdString();
    // The working file holds the scan only once the library has read it.
    const QByteArray work
        = waitForLines(folder.path(QStringLiteral("home/scans/~kelvane.tmp")), 436, 20000);
    EXPECT_EQ(work.count("\r\n"), 436);
    EXPECT_EQ(kelvane.state(), QProcess::Running);

    // The library in use is the installed one.
    const QByteArray maps = readFileBytes(QStringLiteral("/proc/%1/maps").arg(kelvane.processId()));
    const QByteArray installed = QFile::encodeName(QDir(prefix).canonicalPath());
    EXPECT_TRUE(maps.contains(installed + "/" KELVANE_INSTALL_LIBDIR "/libkelvane.so."))
        << maps.toStdString();

    // The Data File tab carries the file's name, and the view its text.
    const QString text = readScreenText();
    EXPECT_TRUE(text.contains(QStringLiteral("radius-scan.dat"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("sedimentation velocity"))) << text.toStdString();
}
