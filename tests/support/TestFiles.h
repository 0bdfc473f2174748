// Files for tests: a private temporary folder per test, and the examples.
#pragma once

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
