// Interim: replaced by the archive reader.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

struct ArchiveLimits {
    qint64 memberBytes = 64LL << 20;
    qint64 totalBytes = 2LL << 30;
};
struct ArchiveMember {
    QString name;
    QByteArray bytes;
};
bool IsArchiveName(const QString &path);
QString ReadArchive(const QString &path, const ArchiveLimits &limits,
    const std::function<bool(const QString &name)> &want,
    const std::function<void(ArchiveMember &&member)> &take,
    const std::function<void(const QString &name, const QString &reason)> &refuse,
    const std::function<bool()> &cancelled = {});
struct MemberBytes {
    QByteArray bytes;
    QString error;
};
MemberBytes ReadArchiveMember(
    const QString &archive, const QString &member, const ArchiveLimits &limits);
