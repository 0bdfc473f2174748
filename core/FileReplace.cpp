// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/FileReplace.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace
{

// Qt drops the system's reason where a write comes up short (a full disk
// writes part of a block, then fails): its text is then only "Unknown
// error", while errno still says why.
QString reason(const QSaveFile &file, int error)
{
    const QString said = file.errorString();
    if (error != 0 && (said.isEmpty() || said == QLatin1String("Unknown error")))
        return QString::fromLocal8Bit(std::strerror(error));
    return said;
}

} // namespace

QString ReplaceFileContents(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return reason(file, errno);
    errno = 0;
    // flush() before commit(): commit() alone lets a short write pass as
    // success.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const int error = errno;
        const QString why = reason(file, error);
        file.cancelWriting();
        return why;
    }
    errno = 0;
    if (!file.commit())
        return reason(file, errno);
    return {};
}
