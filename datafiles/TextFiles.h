// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers around the files that the text views show.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct AppContext;

// A plain file (not a folder, not hidden) of that name exists; a relative
// name is taken against the current directory.
bool FileExists(const QString &name);

// The whole file as bytes; throws std::runtime_error when it cannot be read.
QByteArray ReadTextFile(const QString &path);

// A tab caption for a file: the trimmed path when it has at most 18
// characters, else "..." and its last 18 characters.
QString TabCaptionFor(const QString &path);

// A file chosen in the open dialog of Get Data or Get Blank, read whole.
struct ChosenFile {
    QString name; // as the dialog returned it
    QByteArray text;
    QString readFrom; // where the library reads it, when not at `name`
};

// Shows the open dialog for an existing file with `title` and `filter`.
// Nothing on cancel; nothing either, after telling the user why, when the
// chosen file cannot be read (it vanished or became unreadable since the
// dialog saw it), so that the caller changes no state for it.
std::optional<ChosenFile> ChooseTextFile(
    AppContext &app, const QString &title, const QString &filter, const QString &kind);

// The same for a file named without the dialog (on the command line, dropped
// on the window, picked from the recent files): reads `name` whole, or tells
// the user, with the message and title the dialog's command gives, that it
// cannot be read (it does not exist, is not a file, or may not be read).
std::optional<ChosenFile> ReadChosenFile(
    AppContext &app, const QString &name, const QString &title, const QString &kind);
