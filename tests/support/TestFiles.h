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
QString examplePath(const QString &name);

// One key of a settings or fit file, read afresh, to check what was written.
int GetProfileInt(const QString &file, const char *section, const char *key, int fallback);
QByteArray GetProfileString(const QString &file, const char *section, const char *key,
    const QByteArray &fallback, int bufferSize);
