// SPDX-License-Identifier: GPL-3.0-or-later
// Archives of a run (.tar.gz, .tgz, .tar, .zip) read in place: the members
// come out as bytes in memory, nothing is ever unpacked to disk. tar and zip
// are read by libarchive; gzip is inflated by zlib, which checks the
// compressed data's CRC and length (libarchive's gzip reader does not), so a
// damaged .tar.gz fails instead of handing over altered scans.
//
// Archives come from outside, so every size is bounded: a member's claimed
// size is checked before anything is allocated for it, the bytes it really
// delivers are counted as they arrive, and all decompressed data together
// are bounded too (for a .tar.gz that is the whole inflated stream,
// passed-over members included), which stops a compression bomb within the
// limit's worth of work.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>

struct ArchiveLimits {
    qint64 memberBytes = 64LL << 20; // one member, decompressed
    qint64 totalBytes = 2LL << 30; // all members together, decompressed
};

struct ArchiveMember {
    QString name; // as stored, with a leading "./" removed; '/' separators
    QByteArray bytes; // the whole member
    int occurrence = 0; // how many members of this name came before it (0 for the first)
};

// True for names ending in .tar.gz, .tgz, .tar or .zip, in any letter case.
// Looks at the name only.
bool IsArchiveName(const QString &path);

// Reads every regular-file member of the archive at `path`, in archive order,
// then its wanted hard links.
//
// For each regular file, in this order:
// - a name that is absolute ("/x", "C:/x") or has a ".." component goes to
//   `refuse(name, reason)`, is never asked about, read or written anywhere;
//   backslashes count as separators;
// - `want(name)` says whether the member is needed; one that is not is
//   passed over without being read into memory;
// - a wanted member that is encrypted, claims a size over
//   `limits.memberBytes`, delivers more bytes than that (reading stops at the
//   limit) or cannot be decompressed goes to `refuse` and is passed over;
// - any other wanted member goes whole to `take`.
// A hard link (the second name of a file, which tar stores as a link to the
// member stored before it) is a member under its own name with the bytes of
// the member it names: the names are checked and asked about as above, and
// once the first pass is done a second one reads the members the wanted
// links name and hands each link to `take` (their bytes count against
// `limits.totalBytes` once for every link). A link to a member that the
// archive does not hold before it, or that is refused or cannot be read,
// goes to `refuse` with that reason.
// Folders, symbolic links and devices (and hard links to them) are skipped
// without a word. Members of one name are handed over apart, each with its
// `occurrence`.
// Names are decoded from UTF-8 where libarchive can, else from Latin-1.
//
// Returns an empty string on success, else the reason the archive as a whole
// failed, in words for the user: it cannot be opened, is empty, is not an
// archive of these kinds, ends early (truncated), is damaged, holds more than
// `limits.totalBytes` of decompressed data (the members read; for a .tar.gz
// everything inflated), or `cancelled()` returned true.
// Members handed to `take` before a failure stay handed over. `cancelled` is
// asked between members and for every 64 KB read or inflated.
//
// Any callback may be empty: no `want` takes every member, no `take` or
// `refuse` drops what it would get, no `cancelled` never cancels. Callbacks
// run on the calling thread, one at a time; none may be re-entered.
QString ReadArchive(const QString &path, const ArchiveLimits &limits,
    const std::function<bool(const QString &name)> &want,
    const std::function<void(ArchiveMember &&member)> &take,
    const std::function<void(const QString &name, const QString &reason)> &refuse,
    const std::function<bool()> &cancelled = {});

// The same over an archive held in memory (the fuzzer and tests use it).
QString ReadArchiveBytes(const QByteArray &archive, const ArchiveLimits &limits,
    const std::function<bool(const QString &name)> &want,
    const std::function<void(ArchiveMember &&member)> &take,
    const std::function<void(const QString &name, const QString &reason)> &refuse,
    const std::function<bool()> &cancelled = {});

// One member read again, to open it in the editor.
struct MemberBytes {
    QByteArray bytes;
    QString error; // empty when `bytes` is the member
};

// The member named `member` (compared as ReadArchive names them, so a
// leading "./" does not matter) of that `occurrence` (0 for the first of the
// name), read under the same rules and limits; a hard link as the member it
// names. Reading stops once it is read, so damage further on is not seen.
// Otherwise `error` says why: the archive's failure, the member's refusal,
// or that the archive holds no such regular file or hard link.
MemberBytes ReadArchiveMember(
    const QString &archive, const QString &member, const ArchiveLimits &limits, int occurrence = 0);
