// Initialisation files (the settings file, fit files) read and written with
// the semantics of the desktop's profile calls: section and key names
// without regard to case, blanks around names and values ignored, a value in
// single or double quotes returned without them, and the default for a
// missing file, section or key. Every call reads the file anew.
#pragma once

#include <QByteArray>
#include <QString>

// The integer at the start of the value (optional sign, then digits; 0 when
// there are none), or `fallback` when the key is missing.
int GetProfileInt(const QString &file, const char *section, const char *key, int fallback);

// The value, cut to bufferSize - 1 characters, or `fallback` when the key is
// missing.
QByteArray GetProfileString(const QString &file, const char *section, const char *key,
                            const QByteArray &fallback, int bufferSize);

// Writes one key, creating the file, its folder and the section as needed;
// the file is replaced only after a complete write. False on failure.
bool WriteProfileString(const QString &file, const char *section, const char *key,
                        const QByteArray &value);
