// SPDX-License-Identifier: GPL-3.0-or-later
// The start of the program: single-instance guard, version, default
// printer, defaults, splash, settings file, then the main window.
#pragma once

#include <QString>

#include <memory>

struct AppContext;
class MainWindow;

// Runs the start-up sequence and returns the shown main window, or nothing
// when another instance runs (after telling the user so).
std::unique_ptr<MainWindow> StartUp(AppContext &app);

// "0.999.0028" for version 0.999 revision 28.
QString BuildAppVersion(int major, int minor, int revision);

// Removes one trailing NUL, then one more if the text still ends in one.
QString StripTrailingNuls(QString text);
