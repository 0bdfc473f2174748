// SPDX-License-Identifier: GPL-3.0-or-later
// Initialisation files (the settings file, fit files) read and written with
// the semantics of the desktop's profile calls: section and key names
// without regard to case, blanks around names and values ignored, a value in
// single or double quotes returned without them, the first of repeated keys,
// and the default for a missing file, section or key.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct ProfileEntry {
    const char *section;
    const char *key;
    QByteArray value;
};

// One file, read once, for many look-ups.
class ProfileReader
{
public:
    // A file that cannot be read reads as empty.
    explicit ProfileReader(const QString &file);
    static ProfileReader fromBytes(const QByteArray &bytes);
    ~ProfileReader();
    ProfileReader(ProfileReader &&) noexcept;

    // The integer at the start of the value (optional sign, then digits; 0
    // when there are none), or `fallback` when the key is missing.
    int getInt(const char *section, const char *key, int fallback) const;
    // The value, cut to bufferSize - 1 characters, or `fallback` when the
    // key is missing.
    QByteArray getString(
        const char *section, const char *key, const QByteArray &fallback, int bufferSize) const;
    // Whether the value is written in quotes: only then are the blanks
    // inside them part of it.
    bool isQuoted(const char *section, const char *key) const;
    // The section names, as written.
    QStringList sections() const;

    // Sets the keys in the text read and writes all of it to `file`, as
    // WriteProfileStrings does, so a file read once can also be changed
    // without reading it again; the look-ups see the new values. False on
    // failure, and always when the file existed but could not be read (its
    // contents would be lost).
    bool write(const QString &file, const std::vector<ProfileEntry> &entries);

private:
    ProfileReader();
    struct Ini;
    std::unique_ptr<Ini> m_ini;
    bool m_unreadable = false;
};

// Writes the keys in one go, creating the file, its folder and the sections
// as needed; the file is replaced as ReplaceFileContents does. False on
// failure.
bool WriteProfileStrings(const QString &file, const std::vector<ProfileEntry> &entries);
bool WriteProfileString(
    const QString &file, const char *section, const char *key, const QByteArray &value);
