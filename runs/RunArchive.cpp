#include "runs/RunArchive.h"

bool IsArchiveName(const QString &path)
{
    const QString p = path.toLower();
    return p.endsWith(QLatin1String(".tar.gz")) || p.endsWith(QLatin1String(".tgz"))
        || p.endsWith(QLatin1String(".tar")) || p.endsWith(QLatin1String(".zip"));
}
QString ReadArchive(const QString &, const ArchiveLimits &,
    const std::function<bool(const QString &)> &, const std::function<void(ArchiveMember &&)> &,
    const std::function<void(const QString &, const QString &)> &, const std::function<bool()> &)
{
    return QStringLiteral("not yet");
}
MemberBytes ReadArchiveMember(const QString &, const QString &, const ArchiveLimits &)
{
    return { {}, QStringLiteral("not yet") };
}
