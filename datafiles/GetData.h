// SPDX-License-Identifier: GPL-3.0-or-later
// File > Get Data: choose a data file and make it the data set.
#pragma once

#include <QByteArray>
#include <QString>

struct AppContext;
class MainView;

// The command. True when a data file with points was read (its path is then
// ReadPath); a cancel, an unreadable file or one without points give false.
bool GetNewData(AppContext &app, MainView &view);

// The same for a file named without the dialog, as though chosen in it: its
// folder becomes the current directory, so the working file goes there, or
// into `workFiles` when that is given (a scan of a run: ProgramState::
// WorkFilesDir). A file that cannot be read is reported as Get Data reports
// it and changes nothing at all, the working file and the menus included.
bool GetNamedData(
    AppContext &app, MainView &view, const QString &path, const QString &workFiles = {});

// The same for a scan held in memory (a member of an archive, never unpacked
// to disk, or an edited scan of a run): read by the library through a memory
// file, shown under `name`, with `folder` the current directory and the
// working file there or in `workFiles`.
bool GetDataFromMemory(AppContext &app, MainView &view, const QString &name, const QString &folder,
    const QByteArray &bytes, const QString &workFiles = {});

// Tells the user that the data file `path` was read and holds no points.
void ReportNoDataPoints(AppContext &app, const QString &path);
