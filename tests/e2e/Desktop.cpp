// SPDX-License-Identifier: GPL-3.0-or-later
#include "Desktop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

QString missingDesktopTool()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("needs an X display (scripts/test runs these under Xvfb)");
    for (const char *tool : { "xdotool", "openbox", "import", "tesseract", "xwininfo", "xprop" }) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("needs %1 (scripts/setup installs it)").arg(QLatin1String(tool));
    }
    return {};
}

namespace
{

// A process environment on `display` (the inherited one when empty).
QProcessEnvironment onDisplay(const QString &display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), display);
    return env;
}

} // namespace

PrivateDisplay::PrivateDisplay(QSize screen)
{
    // -displayfd 1: the server picks a free display number and prints it.
    m_server.start(QStringLiteral("Xvfb"),
        { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
            QStringLiteral("0"),
            QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()),
            QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset") });
    QDeadlineTimer deadline(20000);
    QByteArray number;
    while (!number.contains('\n') && !deadline.hasExpired()
        && m_server.state() != QProcess::NotRunning) {
        m_server.waitForReadyRead(200);
        number += m_server.readAllStandardOutput();
    }
    if (number.contains('\n'))
        m_name = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
}

PrivateDisplay::~PrivateDisplay()
{
    m_server.terminate();
    if (!m_server.waitForFinished(5000))
        m_server.kill();
    m_server.waitForFinished();
}

WindowManager::WindowManager(const QString &display)
{
    m_process.setProcessEnvironment(onDisplay(display));
    m_process.start(QStringLiteral("openbox"), {});
    m_process.waitForStarted();
    // Give it the time to take the screen; one that finds another manager
    // running leaves at once, which is fine.
    m_process.waitForFinished(1000);
}

WindowManager::~WindowManager()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished();
    }
}

QString xdotool(const QStringList &arguments, const QString &display)
{
    QProcess process;
    process.setProcessEnvironment(onDisplay(display));
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

Kelvane::Kelvane(const TestFolder &folder, const QStringList &arguments, const QString &display)
    : m_display(display)
{
    const QString runtime = folder.path(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(
        runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment env = onDisplay(display);
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the real display, not offscreen
    // Most desktops have no accessibility bus; its traffic would hide faults
    // of painting.
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));
    env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.root());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(folder.root());
    m_process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kelvane"), arguments);
    m_process.waitForStarted();
}

Kelvane::~Kelvane()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QString Kelvane::waitForWindow(const QString &title, int milliseconds)
{
    const QString pid = QString::number(m_process.processId());
    QDeadlineTimer deadline(milliseconds);
    do {
        const QString ids
            = xdotool({ QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--pid"),
                          pid, QStringLiteral("--name"),
                          QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$') },
                m_display);
        if (!ids.isEmpty())
            return ids.split(QLatin1Char('\n')).constLast();
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return {};
}

QString Kelvane::windowTitles()
{
    QString titles;
    const QString ids = xdotool(
        { QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--pid"),
            QString::number(m_process.processId()), QStringLiteral("--name"), QStringLiteral(".") },
        m_display);
    for (const QString &id : ids.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        titles += QLatin1Char('[') + xdotool({ QStringLiteral("getwindowname"), id }, m_display)
            + QStringLiteral("] ");
    return titles;
}

QRect frameGeometry(const QString &windowId, const QString &display)
{
    QProcess info;
    info.setProcessEnvironment(onDisplay(display));
    info.start(QStringLiteral("xwininfo"), { QStringLiteral("-id"), windowId });
    info.waitForFinished(10000);
    const QString text = QString::fromLocal8Bit(info.readAllStandardOutput());
    const auto value = [&text](const char *label) {
        return QRegularExpression(QLatin1String(label) + QStringLiteral(":\\s+(-?\\d+)"))
            .match(text)
            .captured(1)
            .toInt();
    };
    QRect frame(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
        value("Height"));
    // The decoration the window manager put round it: left, right, top, bottom.
    QProcess extents;
    extents.setProcessEnvironment(onDisplay(display));
    extents.start(QStringLiteral("xprop"),
        { QStringLiteral("-id"), windowId, QStringLiteral("_NET_FRAME_EXTENTS") });
    extents.waitForFinished(10000);
    const QRegularExpressionMatch m
        = QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)"))
              .match(QString::fromLocal8Bit(extents.readAllStandardOutput()));
    if (m.hasMatch())
        frame.adjust(-m.captured(1).toInt(), -m.captured(3).toInt(), m.captured(2).toInt(),
            m.captured(4).toInt());
    return frame;
}

QString readScreenText()
{
    TestFolder folder;
    const QString grab = folder.path(QStringLiteral("screen.png"));
    QProcess::execute(
        QStringLiteral("import"), { QStringLiteral("-window"), QStringLiteral("root"), grab });
    QProcess ocr;
    ocr.start(QStringLiteral("tesseract"), { grab, QStringLiteral("-") });
    ocr.waitForFinished(60000);
    return QString::fromLocal8Bit(ocr.readAllStandardOutput());
}

QByteArray waitForLines(const QString &path, int lines, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    QByteArray bytes;
    do {
        bytes = readFileBytes(path);
        if (bytes.count("\r\n") >= lines)
            return bytes;
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return bytes;
}
