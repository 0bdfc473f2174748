// SPDX-License-Identifier: GPL-3.0-or-later
// Files for tests: a private temporary folder per test, and the examples.
#pragma once

#include "support/Printers.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TestFolder
{
public:
    TestFolder();
    QString path(const QString &name) const;
    // Writes `bytes` to `name` in the folder and returns its full path.
    QString write(const QString &name, const QByteArray &bytes) const;
    QString root() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

QByteArray readFileBytes(const QString &path);

// While it lives, file permissions bind the calling thread as they bind a
// user, root too: root's override of them is set aside and given back at the
// end. active() is false where that cannot be done; a test then skips.
class PermissionsBind
{
public:
    PermissionsBind();
    ~PermissionsBind();
    PermissionsBind(const PermissionsBind &) = delete;
    PermissionsBind &operator=(const PermissionsBind &) = delete;
    bool active() const { return m_active; }

private:
    bool m_active = false;
    bool m_dropped = false;
    unsigned m_effective[2] = {};
};

// A folder whose files may be written but in which no file may be made,
// with `name` in it holding `bytes`; its path. Permissions bind only while
// a PermissionsBind lives.
QString LockedFolderWith(const TestFolder &folder, const QString &name, const QByteArray &bytes);
// Lets the folder be written again, so the test folder can be removed.
void Unlock(const QString &lockedFile);
QString examplePath(const QString &name);

// One key of a settings or fit file, read afresh, to check what was written.
int GetProfileInt(const QString &file, const char *section, const char *key, int fallback);
QByteArray GetProfileString(const QString &file, const char *section, const char *key,
    const QByteArray &fallback, int bufferSize);
