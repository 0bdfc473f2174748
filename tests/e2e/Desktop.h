// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop around the real program in end-to-end tests: a window manager
// on the test's X display, the program started with private settings and a
// private single-instance guard, its windows found by its process id, and
// screen grabs read back as text.
#pragma once

#include "support/TestFiles.h"

#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// Empty when the display, xdotool, the window manager and the grab and OCR
// tools are there; otherwise the reason, for GTEST_SKIP.
QString missingDesktopTool();

// An X server of its own, of the given screen size, for as long as it lives.
class PrivateDisplay
{
public:
    explicit PrivateDisplay(QSize screen);
    ~PrivateDisplay();
    // ":N", empty when the server could not be started.
    const QString &name() const { return m_name; }

private:
    QProcess m_server;
    QString m_name;
};

// openbox on the display (the test's own, or `display`) for as long as it
// lives; if another window manager already runs there, that one is used.
class WindowManager
{
public:
    explicit WindowManager(const QString &display = QString());
    ~WindowManager();

private:
    QProcess m_process;
};

// xdotool on the test's display, or on `display`.
QString xdotool(const QStringList &arguments, const QString &display = QString());

class Kelvane
{
public:
    // Runs build/<preset>/bin/kelvane with `arguments` in `folder`, which also
    // holds its settings (XDG_CONFIG_HOME) and its lock (XDG_RUNTIME_DIR),
    // without an accessibility bus.
    Kelvane(const TestFolder &folder, const QStringList &arguments = {},
        const QString &display = QString());
    ~Kelvane();

    QProcess &process() { return m_process; }
    // The X id of this process's window whose title is exactly `title`,
    // waited for up to `milliseconds`; empty when none appeared.
    QString waitForWindow(const QString &title, int milliseconds);
    // The titles of this process's windows, for failure messages.
    QString windowTitles();

private:
    QProcess m_process;
    QString m_display;
};

// The file's bytes once it holds `lines` CR LF line ends, waited for up to
// `milliseconds`; what it held last otherwise.
QByteArray waitForLines(const QString &path, int lines, int milliseconds);

// The window's frame (decoration included) on the screen.
QRect frameGeometry(const QString &windowId, const QString &display = QString());

// The text tesseract reads in a grab of the whole screen.
QString readScreenText();
