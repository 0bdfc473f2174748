// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ScanFiles.h"

#include "runs/RunArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace
{

bool isCellDigit(QChar c, char last)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char(last);
}

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// Walks one named folder. Folders are known by device and inode, so that a
// link back to a folder already seen is not followed again.
class FolderWalk
{
public:
    FolderWalk(const std::function<bool()> &cancelled, FoundSources &found)
        : m_cancelled(cancelled)
        , m_found(found)
    {
    }

    void walk(const QString &named)
    {
        std::vector<ScanSource> files;
        visit(named, QString(), files);
        std::sort(files.begin(), files.end(),
            [](const ScanSource &a, const ScanSource &b) { return a.shown < b.shown; });
        const QString whole = QDir::cleanPath(QFileInfo(named).absoluteFilePath());
        for (ScanSource &file : files) {
            file.whole = joined(whole, file.shown);
            m_found.sources.push_back(std::move(file));
        }
    }

private:
    void visit(const QString &folder, const QString &under, std::vector<ScanSource> &files)
    {
        if (m_cancelled && m_cancelled())
            return;
        const QByteArray native = QFile::encodeName(folder);
        struct stat info {
        };
        if (::stat(native.constData(), &info) != 0)
            return;
        if (!m_seen.insert({ info.st_dev, info.st_ino }).second)
            return;
        DIR *dir = ::opendir(native.constData());
        if (dir == nullptr) {
            m_found.problems.push_back(
                { folder, QStringLiteral("cannot be searched: %1").arg(errorText(errno)) });
            return;
        }
        // Links resolved once for the folder; a file that is no link is
        // then known by its name in it.
        char *resolved = ::realpath(native.constData(), nullptr);
        const QString canonicalFolder = resolved ? QFile::decodeName(resolved) : QString();
        std::free(resolved);
        struct Entry {
            QString name;
            bool folder;
            QString canonical;
        };
        std::vector<Entry> entries;
        while (const dirent *entry = ::readdir(dir)) {
            const QString name = QFile::decodeName(entry->d_name);
            // Hidden files and folders (".", "..", ".Trash") are not the run's.
            if (IsHiddenPath(name))
                continue;
            struct stat child {
            };
            const QString path = joined(folder, name);
            if (::stat(QFile::encodeName(path).constData(), &child) != 0) {
                const int error = errno;
                m_found.problems.push_back({ path, lookFailure(path, error) });
                continue;
            }
            if (S_ISDIR(child.st_mode)) {
                entries.push_back({ name, true, {} });
            } else if (S_ISREG(child.st_mode) && IsScanFileName(name)) {
                const bool plain = entry->d_type == DT_REG && !canonicalFolder.isEmpty();
                entries.push_back({ name, false,
                    plain ? joined(canonicalFolder, name) : QFileInfo(path).canonicalFilePath() });
            }
        }
        ::closedir(dir);
        for (Entry &entry : entries) {
            const QString shown
                = under.isEmpty() ? entry.name : under + QLatin1Char('/') + entry.name;
            if (entry.folder)
                visit(joined(folder, entry.name), shown, files);
            else
                files.push_back(
                    { joined(folder, entry.name), shown, {}, std::move(entry.canonical), false });
        }
    }

    static QString errorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

    // Why an entry whose name the folder lists cannot be looked at: a link
    // whose target is missing, or a folder without search permission.
    static QString lookFailure(const QString &path, int error)
    {
        const QString target = QFileInfo(path).symLinkTarget();
        if (!target.isEmpty())
            return QStringLiteral("is a link to %1, which cannot be looked at: %2")
                .arg(target, errorText(error));
        return QStringLiteral("cannot be looked at: %1").arg(errorText(error));
    }

    const std::function<bool()> &m_cancelled;
    FoundSources &m_found;
    std::set<std::pair<dev_t, ino_t>> m_seen;
};

} // namespace

bool IsScanFileName(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 1)
        return false;
    const QString ext = name.mid(dot + 1).toUpper();
    if (ext == QLatin1String("DAT"))
        return true;
    if (ext.size() != 3)
        return false;
    const QStringView kind = QStringView(ext).left(2);
    if (kind == QLatin1String("RA"))
        return isCellDigit(ext[2], '8') && ext[2] != QLatin1Char('0');
    return (kind == QLatin1String("RI") || kind == QLatin1String("IP")
               || kind == QLatin1String("WA") || kind == QLatin1String("WI")
               || kind == QLatin1String("FI"))
        && isCellDigit(ext[2], '9');
}

bool IsHiddenPath(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('/'));
    return std::any_of(parts.begin(), parts.end(),
        [](const QString &part) { return part.startsWith(QLatin1Char('.')); });
}

FoundSources FindScanSources(const QStringList &paths, const std::function<bool()> &cancelled)
{
    FoundSources found;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!info.exists()) {
            found.problems.push_back({ path, QStringLiteral("does not exist") });
        } else if (info.isDir()) {
            FolderWalk(cancelled, found).walk(path);
        } else {
            found.sources.push_back(
                { path, info.fileName(), QDir::cleanPath(info.absoluteFilePath()),
                    info.canonicalFilePath(), IsArchiveName(path) });
        }
    }
    // A file named twice (a folder and one of its files, a folder twice or
    // through a link) is read once, where it came first. Two hard links of
    // one file stay two files, as an archive of their folder keeps them.
    std::set<QString> taken;
    std::vector<ScanSource> once;
    for (ScanSource &source : found.sources) {
        if (taken.insert(source.canonical.isEmpty() ? source.whole : source.canonical).second)
            once.push_back(std::move(source));
    }
    found.sources = std::move(once);
    return found;
}
