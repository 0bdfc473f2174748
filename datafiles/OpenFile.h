// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a file named without a dialog: on the command line, dropped on the
// main window, or picked from the recent files.
#pragma once

#include <QString>

struct AppContext;
class MainView;

// A fit file (one with a "FileCount" section) is read as "Get File(s) From
// Fit-File" reads the file chosen in its dialog; anything else is loaded as
// Get Data loads its chosen file, and a file that does not exist or cannot be
// read is reported as Get Data reports it. True when the file was loaded.
bool OpenNamedFile(AppContext &app, MainView &view, const QString &path);
