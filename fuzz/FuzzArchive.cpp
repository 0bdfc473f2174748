// SPDX-License-Identifier: GPL-3.0-or-later
// The archive reader on arbitrary bytes, with small limits: every member
// handed over has a safe name and fits the member limit, all of them
// together fit the total, every refusal says why, and reading may be
// cancelled at any poll.
#include "runs/RunArchive.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdlib>

namespace
{

bool SafeName(const QString &name)
{
    return !name.isEmpty() && !name.startsWith(QLatin1Char('/'))
        && !name.startsWith(QLatin1String("./")) && !name.contains(QLatin1Char('\\'))
        && !name.split(QLatin1Char('/')).contains(QLatin1String(".."));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray archive
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const ArchiveLimits limits { 4096, 65536 };
    // The last byte picks the poll that cancels, if any.
    const int cancelAt = size > 0 && data[size - 1] < 16 ? data[size - 1] : -1;
    int polls = 0;
    qint64 taken = 0;
    const QString failure = ReadArchiveBytes(
        archive, limits,
        [](const QString &name) {
            if (!SafeName(name))
                abort();
            return name.size() % 3 != 0;
        },
        [&](ArchiveMember &&member) {
            if (!SafeName(member.name) || member.name.size() % 3 == 0
                || member.bytes.size() > limits.memberBytes)
                abort();
            taken += member.bytes.size();
        },
        [](const QString &, const QString &reason) {
            if (reason.isEmpty())
                abort();
        },
        [&] { return ++polls == cancelAt; });
    if (taken > limits.totalBytes || (polls >= cancelAt && cancelAt > 0 && failure.isEmpty()))
        abort();
    return 0;
}
