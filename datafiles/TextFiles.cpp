#include "datafiles/TextFiles.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

bool FileExists(const QString &name)
{
    const QFileInfo info(name);
    return info.isFile() && !info.isHidden();
}

QByteArray ReadTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(file.errorString().toStdString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error(file.errorString().toStdString());
    return bytes;
}

QString TabCaptionFor(const QString &path)
{
    const QString trimmed = path.trimmed();
    constexpr int longest = 18;
    if (trimmed.size() <= longest)
        return trimmed;
    return QStringLiteral("...") + trimmed.right(longest);
}
