// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunArchive.h"

#include <QBuffer>
#include <QFile>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <map>
#include <vector>

namespace
{

constexpr qsizetype ChunkBytes = 64 * 1024;

QString SizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 bytes").arg(bytes);
    static const char *const units[] = { "KB", "MB", "GB", "TB" };
    double value = double(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    QString number = QString::number(value, 'f', value < 10 ? 1 : 0);
    if (number.endsWith(QLatin1String(".0")))
        number.chop(2);
    return number + QLatin1Char(' ') + QLatin1String(units[unit]);
}

// "member size X is over the Y limit", in bytes where rounding would make
// X and Y read the same.
QString OverLimitText(qint64 size, qint64 limit)
{
    QString sizeText = SizeText(size), limitText = SizeText(limit);
    if (sizeText == limitText) {
        sizeText = QStringLiteral("%1 bytes").arg(size);
        limitText = QStringLiteral("%1-byte").arg(limit);
    }
    return QStringLiteral("member size %1 is over the %2 limit").arg(sizeText, limitText);
}

QString NormalName(QString name)
{
    // Archives made on Windows may separate with backslashes; taking them as
    // separators also lets the ".." check see "..\x".
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (name.startsWith(QLatin1String("./")))
        name.remove(0, 2);
    return name;
}

QString MemberName(archive_entry *entry)
{
    if (const char *utf8 = archive_entry_pathname_utf8(entry))
        return NormalName(QString::fromUtf8(utf8));
    if (const char *raw = archive_entry_pathname(entry))
        return NormalName(QString::fromLatin1(raw));
    return {};
}

// The name a hard link names, as MemberName gives names.
QString LinkTarget(archive_entry *entry)
{
    if (const char *utf8 = archive_entry_hardlink_utf8(entry))
        return NormalName(QString::fromUtf8(utf8));
    if (const char *raw = archive_entry_hardlink(entry))
        return NormalName(QString::fromLatin1(raw));
    return {};
}

QString UnsafeNameReason(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("member without a name refused");
    if (name.startsWith(QLatin1Char('/'))
        || (name.size() >= 2 && name[1] == QLatin1Char(':') && name[0].isLetter()))
        return QStringLiteral("absolute path refused");
    if (name.split(QLatin1Char('/')).contains(QLatin1String("..")))
        return QStringLiteral("path with '..' refused");
    return {};
}

using WantMember = std::function<bool(const QString &name, int occurrence)>;
using TakeMember = std::function<void(ArchiveMember &&member)>;
using RefuseMember
    = std::function<void(const QString &name, int occurrence, const QString &reason)>;

// A wanted hard link, read once the member it names is read again.
struct PendingLink {
    QString name;
    int occurrence = 0;
    QString target;
    qint64 data = 0; // the position of the entry that holds its bytes
};

// One pass over one archive. libarchive reads tar and zip through the
// callbacks below; a gzip stream is inflated here, so that its CRC is
// checked and every inflated byte counts against the total.
class ArchiveReader
{
public:
    ArchiveReader(
        QIODevice &source, const ArchiveLimits &limits, const std::function<bool()> &cancelled)
        : m_source(source)
        , m_cancelled(cancelled)
        , m_in(ChunkBytes, Qt::Uninitialized)
        , m_out(ChunkBytes, Qt::Uninitialized)
        , m_chunk(ChunkBytes, Qt::Uninitialized)
    {
        constexpr qint64 most = std::numeric_limits<qsizetype>::max() / 4;
        m_memberLimit = std::clamp<qint64>(limits.memberBytes, 0, most);
        m_totalLimit = std::clamp<qint64>(limits.totalBytes, 0, most);
        m_source.seek(0); // a second pass starts where the first ended
        const QByteArray magic = m_source.read(4);
        m_gzip = magic.startsWith("\x1f\x8b");
        // A zip's directory is at its end, so a cut zip has none; libarchive
        // then reads it member by member and cannot tell why it failed.
        if (magic == "PK\x03\x04") {
            const qint64 tail = std::min<qint64>(m_source.size(), 22 + 65535);
            m_source.seek(m_source.size() - tail);
            m_zipWithoutEnd = !m_source.read(tail).contains("PK\x05\x06");
        }
        m_source.seek(0);
    }

    ~ArchiveReader()
    {
        if (m_archive)
            archive_read_free(m_archive);
        if (m_zlibOpen)
            inflateEnd(&m_zlib);
    }

    ArchiveReader(const ArchiveReader &) = delete;
    ArchiveReader &operator=(const ArchiveReader &) = delete;

    // The first pass: every member but the wanted hard links, which are
    // kept for the second.
    QString read(const WantMember &want, const TakeMember &take, const RefuseMember &refuse);
    const std::vector<PendingLink> &links() const { return m_links; }
    qint64 decompressed() const { return m_decompressed; }
    // The second pass, over the same source: the members the links name,
    // handed over under the links' names. Their bytes count against the
    // total again, on top of `counted` from the first pass, which inflated
    // the whole stream already.
    QString readLinks(const std::vector<PendingLink> &links, qint64 counted, const TakeMember &take,
        const RefuseMember &refuse);

private:
    enum class Stop { None, Truncated, Damaged, OverTotal, Cancelled, ReadError };
    enum class Outcome { Whole, Refused, Failed };

    static la_ssize_t readCallback(archive *, void *self, const void **buffer)
    {
        return static_cast<ArchiveReader *>(self)->readSome(buffer);
    }
    static la_int64_t seekCallback(archive *, void *self, la_int64_t offset, int whence)
    {
        return static_cast<ArchiveReader *>(self)->seek(offset, whence);
    }
    static la_int64_t skipCallback(archive *, void *self, la_int64_t request)
    {
        QIODevice &source = static_cast<ArchiveReader *>(self)->m_source;
        const qint64 step = std::clamp<qint64>(request, 0, source.size() - source.pos());
        return source.seek(source.pos() + step) ? step : 0;
    }

    // What a name stands for: the last entry stored under it.
    struct Named {
        qint64 data = -1; // the entry holding the bytes
        bool regular = false;
        QString refusal; // why a member of this name is refused, if it is
    };

    bool open();
    la_ssize_t readSome(const void **buffer);
    la_ssize_t inflateSome();
    la_int64_t seek(la_int64_t offset, int whence);
    bool stop(Stop why, const QString &detail = {});
    bool cancelledNow() { return m_cancelled && m_cancelled() && stop(Stop::Cancelled); }
    bool countDecompressed(qint64 bytes);
    Outcome readMember(archive_entry *entry, QByteArray &bytes, QString &refusal);
    QString failure(const QString &member) const;

    QIODevice &m_source;
    const std::function<bool()> &m_cancelled;
    qint64 m_memberLimit = 0;
    qint64 m_totalLimit = 0;
    archive *m_archive = nullptr;
    bool m_opened = false;
    bool m_gzip = false;
    bool m_zipWithoutEnd = false;
    bool m_zlibOpen = false;
    bool m_gzipEnded = false;
    z_stream m_zlib {};
    QByteArray m_in; // bytes from the source
    QByteArray m_out; // inflated bytes; libarchive may keep pointing into them
    QByteArray m_chunk; // a member's bytes on their way to the member
    qint64 m_decompressed = 0;
    // Off in the second pass: the stream it inflates was counted whole.
    bool m_counting = true;
    std::map<QString, Named> m_named;
    std::map<QString, int> m_occurrences;
    std::vector<PendingLink> m_links;
    Stop m_stop = Stop::None;
    QString m_stopDetail;
};

bool ArchiveReader::stop(Stop why, const QString &detail)
{
    if (m_stop == Stop::None) {
        m_stop = why;
        m_stopDetail = detail;
    }
    return true;
}

bool ArchiveReader::countDecompressed(qint64 bytes)
{
    m_decompressed += bytes;
    return m_decompressed <= m_totalLimit || !stop(Stop::OverTotal);
}

la_ssize_t ArchiveReader::readSome(const void **buffer)
{
    if (cancelledNow())
        return ARCHIVE_FATAL;
    if (m_gzip) {
        *buffer = m_out.constData();
        return inflateSome();
    }
    const qint64 got = m_source.read(m_in.data(), m_in.size());
    if (got < 0) {
        stop(Stop::ReadError, m_source.errorString());
        return ARCHIVE_FATAL;
    }
    *buffer = m_in.constData();
    return la_ssize_t(got);
}

la_ssize_t ArchiveReader::inflateSome()
{
    if (!m_zlibOpen) {
        if (inflateInit2(&m_zlib, 16 + MAX_WBITS) != Z_OK) {
            stop(Stop::Damaged, QStringLiteral("zlib cannot start"));
            return ARCHIVE_FATAL;
        }
        m_zlibOpen = true;
    }
    m_zlib.next_out = reinterpret_cast<Bytef *>(m_out.data());
    m_zlib.avail_out = uInt(m_out.size());
    while (!m_gzipEnded && m_zlib.avail_out == uInt(m_out.size())) {
        if (m_zlib.avail_in == 0) {
            const qint64 got = m_source.read(m_in.data(), m_in.size());
            if (got < 0) {
                stop(Stop::ReadError, m_source.errorString());
                return ARCHIVE_FATAL;
            }
            if (got == 0) {
                stop(Stop::Truncated);
                return ARCHIVE_FATAL;
            }
            m_zlib.next_in = reinterpret_cast<Bytef *>(m_in.data());
            m_zlib.avail_in = uInt(got);
        }
        const int status = inflate(&m_zlib, Z_NO_FLUSH);
        if (status == Z_STREAM_END) {
            // Concatenated gzip files inflate as one stream; anything else
            // after the end is ignored, as gzip does.
            if (m_zlib.avail_in > 0 && m_zlib.next_in[0] == 0x1f)
                inflateReset(&m_zlib);
            else
                m_gzipEnded = true;
        } else if (status != Z_OK && !(status == Z_BUF_ERROR && m_zlib.avail_in == 0)) {
            stop(Stop::Damaged,
                QStringLiteral("gzip data: %1")
                    .arg(QString::fromLatin1(m_zlib.msg ? m_zlib.msg : "cannot be inflated")));
            return ARCHIVE_FATAL;
        }
    }
    const qint64 made = m_out.size() - qint64(m_zlib.avail_out);
    return !m_counting || countDecompressed(made) ? la_ssize_t(made) : ARCHIVE_FATAL;
}

la_int64_t ArchiveReader::seek(la_int64_t offset, int whence)
{
    const qint64 from = whence == SEEK_SET ? 0
        : whence == SEEK_CUR               ? m_source.pos()
                                           : m_source.size();
    const qint64 to = std::clamp<qint64>(from + offset, 0, m_source.size());
    return m_source.seek(to) ? to : ARCHIVE_FATAL;
}

ArchiveReader::Outcome ArchiveReader::readMember(
    archive_entry *entry, QByteArray &bytes, QString &refusal)
{
    const qint64 claimed = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
    if (claimed > m_memberLimit) {
        refusal = OverLimitText(claimed, m_memberLimit);
        return Outcome::Refused;
    }
    bytes.reserve(qsizetype(std::max<qint64>(claimed, 0)));
    for (;;) {
        if (cancelledNow())
            return Outcome::Failed;
        const la_ssize_t got = archive_read_data(m_archive, m_chunk.data(), size_t(m_chunk.size()));
        if (got == 0)
            break;
        if (got == ARCHIVE_FATAL)
            return Outcome::Failed;
        if (got < 0) {
            refusal = QStringLiteral("member cannot be read: %1")
                          .arg(QString::fromLocal8Bit(archive_error_string(m_archive)));
            return Outcome::Refused;
        }
        if (bytes.size() + got > m_memberLimit) {
            refusal
                = QStringLiteral("member is larger than the %1 limit").arg(SizeText(m_memberLimit));
            return Outcome::Refused;
        }
        bytes.append(m_chunk.constData(), qsizetype(got));
        if (!m_gzip && m_counting && !countDecompressed(got))
            return Outcome::Failed;
    }
    // A zip member may claim more than it holds.
    if (bytes.capacity() - bytes.size() > ChunkBytes)
        bytes.squeeze();
    return Outcome::Whole;
}

QString ArchiveReader::failure(const QString &member) const
{
    const QString at = member.isEmpty() ? QString() : QStringLiteral(" at '%1'").arg(member);
    switch (m_stop) {
    case Stop::Cancelled:
        return QStringLiteral("reading the archive was cancelled");
    case Stop::OverTotal:
        return QStringLiteral("the archive holds more than the %1 limit of data")
            .arg(SizeText(m_totalLimit));
    case Stop::Truncated:
        return QStringLiteral("the archive ends early (truncated)") + at;
    case Stop::Damaged:
        return QStringLiteral("the archive is damaged (%1)").arg(m_stopDetail) + at;
    case Stop::ReadError:
        return QStringLiteral("cannot read the archive: %1").arg(m_stopDetail);
    case Stop::None:
        break;
    }
    const char *text = archive_error_string(m_archive);
    const QString said = QString::fromLocal8Bit(text ? text : "unknown error");
    if (!m_opened && archive_errno(m_archive) == EILSEQ) {
        return m_gzip ? QStringLiteral("the file is gzip-compressed but holds no tar archive")
                      : QStringLiteral("not a .tar, .tar.gz or .zip archive");
    }
    if (m_zipWithoutEnd || said.contains(QLatin1String("truncated"), Qt::CaseInsensitive))
        return QStringLiteral("the archive ends early (truncated)") + at;
    return QStringLiteral("the archive is damaged (%1)").arg(said) + at;
}

bool ArchiveReader::open()
{
    m_archive = archive_read_new();
    archive_read_support_format_tar(m_archive);
    archive_read_support_format_zip(m_archive);
    archive_read_set_callback_data(m_archive, this);
    archive_read_set_read_callback(m_archive, readCallback);
    // A zip is read through its central directory when the source can seek;
    // an inflated gzip stream cannot.
    if (!m_gzip) {
        archive_read_set_seek_callback(m_archive, seekCallback);
        archive_read_set_skip_callback(m_archive, skipCallback);
    }
    m_opened = archive_read_open1(m_archive) == ARCHIVE_OK;
    return m_opened;
}

QString ArchiveReader::read(
    const WantMember &want, const TakeMember &take, const RefuseMember &refuse)
{
    if (!open())
        return failure({});
    for (qint64 ordinal = 0;; ++ordinal) {
        if (cancelledNow())
            return failure({});
        archive_entry *entry = nullptr;
        // Moving on passes over the unread data of the member before.
        const int status = archive_read_next_header(m_archive, &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status < ARCHIVE_WARN)
            return failure({});
        const bool link = archive_entry_hardlink(entry) != nullptr;
        ArchiveMember member { MemberName(entry), {}, 0 };
        if (!link && archive_entry_filetype(entry) != AE_IFREG) {
            m_named[member.name] = { ordinal, false, {} };
            continue;
        }
        member.occurrence = m_occurrences[member.name]++;
        QString refusal = UnsafeNameReason(member.name);
        if (link) {
            // A second name of a file stored before it (GNU tar stores one
            // so): the file it names, under its own name.
            const QString target = LinkTarget(entry);
            const auto named = m_named.find(target);
            const Named names = named == m_named.end() ? Named() : named->second;
            m_named[member.name]
                = { names.data, names.regular, refusal.isEmpty() ? names.refusal : refusal };
            if (refusal.isEmpty() && want && !want(member.name, member.occurrence))
                continue;
            if (refusal.isEmpty()) {
                if (named == m_named.end() || names.data < 0)
                    refusal = QStringLiteral("hard link to '%1', which the archive does not "
                                             "hold before it")
                                  .arg(target);
                else if (!names.regular)
                    continue; // it names a folder, a symbolic link or a device
                else if (!names.refusal.isEmpty())
                    refusal = QStringLiteral("hard link to '%1', which is refused: %2")
                                  .arg(target, names.refusal);
            }
            if (refusal.isEmpty())
                m_links.push_back({ member.name, member.occurrence, target, names.data });
            else if (refuse)
                refuse(member.name, member.occurrence, refusal);
            continue;
        }
        m_named[member.name] = { ordinal, true, refusal };
        if (refusal.isEmpty() && want && !want(member.name, member.occurrence))
            continue;
        if (refusal.isEmpty() && archive_entry_is_encrypted(entry))
            refusal = QStringLiteral("encrypted member refused");
        if (refusal.isEmpty()) {
            switch (readMember(entry, member.bytes, refusal)) {
            case Outcome::Whole:
                if (take)
                    take(std::move(member));
                continue;
            case Outcome::Failed:
                return failure(member.name);
            case Outcome::Refused:
                break;
            }
        }
        if (refuse)
            refuse(member.name, member.occurrence, refusal);
    }
    // The gzip trailer's CRC and length check the whole stream, so it is read
    // to its end even past the tar's own end.
    const void *ignored = nullptr;
    while (m_gzip && !m_gzipEnded) {
        if (readSome(&ignored) < 0)
            return failure({});
    }
    return {};
}

QString ArchiveReader::readLinks(const std::vector<PendingLink> &links, qint64 counted,
    const TakeMember &take, const RefuseMember &refuse)
{
    if (!open())
        return failure({});
    m_counting = false;
    m_decompressed = counted;
    std::multimap<qint64, const PendingLink *> byData;
    for (const PendingLink &link : links)
        byData.emplace(link.data, &link);
    for (qint64 ordinal = 0; !byData.empty(); ++ordinal) {
        if (cancelledNow())
            return failure({});
        archive_entry *entry = nullptr;
        const int status = archive_read_next_header(m_archive, &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status < ARCHIVE_WARN)
            return failure({});
        const auto [first, last] = byData.equal_range(ordinal);
        if (first == last)
            continue;
        QByteArray bytes;
        QString refusal;
        if (archive_entry_is_encrypted(entry))
            refusal = QStringLiteral("encrypted member refused");
        else if (readMember(entry, bytes, refusal) == Outcome::Failed)
            return failure(MemberName(entry));
        for (auto at = first; at != last; ++at) {
            const PendingLink &link = *at->second;
            if (!refusal.isEmpty()) {
                if (refuse)
                    refuse(link.name, link.occurrence,
                        QStringLiteral("hard link to '%1', which cannot be read: %2")
                            .arg(link.target, refusal));
                continue;
            }
            // Each name counts, so that many links to one big member are
            // bounded as that many members would be.
            if (!countDecompressed(bytes.size()))
                return failure({});
            if (take)
                take({ link.name, bytes, link.occurrence });
        }
        byData.erase(first, last);
    }
    for (const auto &[data, link] : byData) {
        if (refuse)
            refuse(link->name, link->occurrence,
                QStringLiteral("hard link to '%1', which cannot be found again").arg(link->target));
    }
    return {};
}

QString ReadFrom(QIODevice &source, const ArchiveLimits &limits, const WantMember &want,
    const TakeMember &take, const RefuseMember &refuse, const std::function<bool()> &cancelled)
{
    if (source.size() == 0)
        return QStringLiteral("the file is empty, not an archive");
    std::vector<PendingLink> links;
    qint64 counted = 0;
    {
        ArchiveReader reader(source, limits, cancelled);
        const QString error = reader.read(want, take, refuse);
        if (!error.isEmpty())
            return error;
        links = reader.links();
        counted = reader.decompressed();
    }
    if (links.empty())
        return {};
    ArchiveReader again(source, limits, cancelled);
    return again.readLinks(links, counted, take, refuse);
}

WantMember WantByName(const std::function<bool(const QString &name)> &want)
{
    if (!want)
        return {};
    return [&want](const QString &name, int) { return want(name); };
}

RefuseMember RefuseByName(const std::function<void(const QString &, const QString &)> &refuse)
{
    if (!refuse)
        return {};
    return [&refuse](const QString &name, int, const QString &reason) { refuse(name, reason); };
}

} // namespace

bool IsArchiveName(const QString &path)
{
    for (const char *suffix : { ".tar.gz", ".tgz", ".tar", ".zip" }) {
        if (path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString ReadArchive(const QString &path, const ArchiveLimits &limits,
    const std::function<bool(const QString &name)> &want,
    const std::function<void(ArchiveMember &&member)> &take,
    const std::function<void(const QString &name, const QString &reason)> &refuse,
    const std::function<bool()> &cancelled)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return QStringLiteral("cannot open the archive: %1").arg(file.errorString());
    return ReadFrom(file, limits, WantByName(want), take, RefuseByName(refuse), cancelled);
}

QString ReadArchiveBytes(const QByteArray &archive, const ArchiveLimits &limits,
    const std::function<bool(const QString &name)> &want,
    const std::function<void(ArchiveMember &&member)> &take,
    const std::function<void(const QString &name, const QString &reason)> &refuse,
    const std::function<bool()> &cancelled)
{
    QBuffer buffer;
    buffer.setData(archive);
    buffer.open(QIODevice::ReadOnly);
    return ReadFrom(buffer, limits, WantByName(want), take, RefuseByName(refuse), cancelled);
}

MemberBytes ReadArchiveMember(
    const QString &archive, const QString &member, const ArchiveLimits &limits, int occurrence)
{
    const QString wanted = NormalName(member);
    bool done = false;
    MemberBytes result;
    QFile file(archive);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        result.error = QStringLiteral("cannot open the archive: %1").arg(file.errorString());
        return result;
    }
    const auto mine = [&](const QString &name, int nth) {
        return !done && name == wanted && nth == occurrence;
    };
    const QString failure = ReadFrom(
        file, limits, mine,
        [&](ArchiveMember &&found) {
            if (!mine(found.name, found.occurrence))
                return;
            result.bytes = std::move(found.bytes);
            done = true;
        },
        [&](const QString &name, int nth, const QString &reason) {
            if (mine(name, nth)) {
                result.error = reason;
                done = true;
            }
        },
        // Reading ends once the member is had.
        [&] { return done; });
    if (!done) {
        result.error = !failure.isEmpty() ? failure
            : occurrence > 0 ? QStringLiteral("the archive holds fewer than %1 files named '%2'")
                                   .arg(occurrence + 1)
                                   .arg(wanted)
                             : QStringLiteral("the archive holds no file named '%1'").arg(wanted);
    }
    return result;
}
