// Small helpers around the files that the text views show.
#pragma once

#include <QByteArray>
#include <QString>

// A plain file (not a folder, not hidden) of that name exists; a relative
// name is taken against the current directory.
bool FileExists(const QString &name);

// The whole file as bytes; throws std::runtime_error when it cannot be read.
QByteArray ReadTextFile(const QString &path);

// A tab caption for a file: the trimmed path when it has at most 18
// characters, else "..." and its last 18 characters.
QString TabCaptionFor(const QString &path);
