#include "support/TestFiles.h"

#include "base/Profile.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

TestFolder::TestFolder()
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
}

QString TestFolder::path(const QString &name) const
{
    return m_dir.filePath(name);
}

QString TestFolder::write(const QString &name, const QByteArray &bytes) const
{
    const QString full = path(name);
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
    return full;
}

QByteArray readFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString examplePath(const QString &name)
{
    return QDir(QStringLiteral(KELVANE_EXAMPLES_DIR)).filePath(name);
}

int GetProfileInt(const QString &file, const char *section, const char *key, int fallback)
{
    return ProfileReader(file).getInt(section, key, fallback);
}

QByteArray GetProfileString(const QString &file, const char *section, const char *key,
    const QByteArray &fallback, int bufferSize)
{
    return ProfileReader(file).getString(section, key, fallback, bufferSize);
}
