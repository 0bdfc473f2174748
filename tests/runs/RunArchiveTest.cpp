// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunArchive.h"
#include "support/CommandSupport.h"
#include "support/RunGenerator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace
{

// Runs `script` with sh in `dir`; the test fails when it does.
void Shell(const QString &dir, const QString &script)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(QStringLiteral("sh"), { QStringLiteral("-c"), script });
    ASSERT_TRUE(process.waitForFinished(60000)) << script.toStdString();
    ASSERT_EQ(process.exitCode(), 0) << script.toStdString() << "\n"
                                     << process.readAllStandardError().toStdString();
}

// A ustar header for a regular file `name` that claims `size` bytes.
QByteArray TarHeader(const QByteArray &name, qint64 size)
{
    QByteArray header(512, '\0');
    auto put = [&](int at, const QByteArray &field) { header.replace(at, field.size(), field); };
    put(0, name);
    put(100, "0000644");
    put(108, "0000000");
    put(116, "0000000");
    put(124, QByteArray::number(size, 8).rightJustified(11, '0'));
    put(136, "00000000000");
    put(148, "        ");
    put(156, "0");
    put(257,
        QByteArray("ustar\0"
                   "00",
            8));
    int sum = 0;
    for (const char c : header)
        sum += uchar(c);
    put(148, QByteArray::number(sum, 8).rightJustified(6, '0') + QByteArray("\0 ", 2));
    return header;
}

// What one read handed over; `want` passes over the instrument's logs.
struct Collected {
    QStringList asked, names, refused;
    QList<QByteArray> bytes;
    QString error;

    auto want()
    {
        return [this](const QString &name) {
            asked << name;
            return !name.endsWith(QLatin1String(".log"), Qt::CaseInsensitive);
        };
    }
    auto take()
    {
        return [this](ArchiveMember &&member) {
            names << member.name;
            bytes << member.bytes;
        };
    }
    auto refuse()
    {
        return [this](const QString &name, const QString &reason) {
            refused << name + QStringLiteral(": ") + reason;
        };
    }
};

Collected Read(const QString &path, const ArchiveLimits &limits = {},
    const std::function<bool()> &cancelled = {})
{
    Collected c;
    c.error = ReadArchive(path, limits, c.want(), c.take(), c.refuse(), cancelled);
    return c;
}

// A run as the instrument leaves it: scans in a dated subfolder with their
// log, CR LF and LF line ends, one last line without its end.
struct RunFolder : TestFolder {
    const QByteArray scan1 = "Cell 1 0.6uM DNA\r\nR 1 10.0 16000 0028764 8.0640E10 281 20\r\n"
                             "5.9010 0.5012 0.0100\r\n5.9040 0.5031 0.0110\r\n";
    const QByteArray scan2 = "Cell 1 0.6uM DNA\nR 1 10.0 16000 0050364 1.4119E11 260 20\n"
                             "5.9010 4.0000 0.0000\n5.9040 1.0000 0.0000";
    const QByteArray scan3 = "interference\r\nP 3 10.0 24000 0001000 6.3165E09 660 1\r\n"
                             "6.1000 -0.12\r\n";
    RunFolder()
    {
        QDir(root()).mkpath(QStringLiteral("run/2026-12-01"));
        write(QStringLiteral("run/2026-12-01/00001.RA1"), scan1);
        write(QStringLiteral("run/2026-12-01/CELL1ABS.LOG"), "12:00 start\n");
        write(QStringLiteral("run/2026-12-01/00002.ra1"), scan2);
        write(QStringLiteral("run/00003.IP3"), scan3);
    }
    const QString members = QStringLiteral("run/2026-12-01/ ./run/2026-12-01/00001.RA1 "
                                           "run/2026-12-01/CELL1ABS.LOG run/2026-12-01/00002.ra1 "
                                           "run/00003.IP3");
};

} // namespace

TEST(RunArchive, NamesArchivesByTheirEndingInAnyCase)
{
    for (const char *name : { "run.tar.gz", "a/RUN.TAR.GZ", "x.tgz", "x.Tgz", "x.tar", "x.ZIP" })
        EXPECT_TRUE(IsArchiveName(QString::fromLatin1(name))) << name;
    for (const char *name : { "x.gz", "x.tar.bz2", "x.tar.xz", "00001.RA1", "tar", "x.zip.txt" })
        EXPECT_FALSE(IsArchiveName(QString::fromLatin1(name))) << name;
}

TEST(RunArchive, TarGzTgzTarAndZipGiveTheSameScansByteForByte)
{
    RunFolder run;
    const struct {
        const char *file, *script; // %1 the archive, %2 its members
    } rows[] = {
        { "run.tar.gz", "tar --no-recursion -czf %1 %2" },
        { "RUN.TGZ", "tar --no-recursion -czf %1 %2" },
        { "run.tar", "tar --no-recursion -cf %1 %2" },
        { "run.zip", "zip -q %1 %2" },
        // Concatenated gzip files are one stream.
        { "parts.tar.gz",
            "tar --no-recursion -cf parts.tar %2"
            " && { head -c 1536 parts.tar | gzip; tail -c +1537 parts.tar | gzip; } > %1" },
    };
    const QStringList scans { QStringLiteral("run/2026-12-01/00001.RA1"),
        QStringLiteral("run/2026-12-01/00002.ra1"), QStringLiteral("run/00003.IP3") };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.file);
        const QString path = run.path(QLatin1String(row.file));
        Shell(run.root(), QString::fromLatin1(row.script).arg(path, run.members));
        const Collected c = Read(path);
        EXPECT_EQ(c.error, QString());
        EXPECT_EQ(c.names, scans);
        EXPECT_EQ(c.bytes, (QList<QByteArray> { run.scan1, run.scan2, run.scan3 }));
        EXPECT_TRUE(c.asked.contains(QStringLiteral("run/2026-12-01/CELL1ABS.LOG")));
        EXPECT_EQ(c.refused, QStringList());

        Collected fromMemory;
        fromMemory.error = ReadArchiveBytes(
            readFileBytes(path), {}, fromMemory.want(), fromMemory.take(), fromMemory.refuse());
        EXPECT_EQ(fromMemory.error, QString());
        EXPECT_EQ(fromMemory.bytes, c.bytes);

        const MemberBytes again
            = ReadArchiveMember(path, QStringLiteral("./run/2026-12-01/00002.ra1"), {});
        EXPECT_EQ(again.error, QString());
        EXPECT_EQ(again.bytes, run.scan2);
        const MemberBytes missing = ReadArchiveMember(path, QStringLiteral("run/00004.RA1"), {});
        EXPECT_EQ(missing.error, QStringLiteral("the archive holds no file named 'run/00004.RA1'"));
        EXPECT_TRUE(missing.bytes.isEmpty());
    }
}

TEST(RunArchive, UnsafeNamesAreRefusedUnreadAndSymbolicLinksSkipped)
{
    RunFolder run;
    const QString tar = run.path(QStringLiteral("unsafe.tar"));
    const QString absolute = run.path(QStringLiteral("run/00003.IP3"));
    Shell(run.root(),
        QStringLiteral("ln run/00003.IP3 run/hard.IP3 && ln -s 00003.IP3 run/link.IP3"
                       " && echo x > '..\\x.RA1'"
                       " && tar -cf %1 run/00003.IP3 run/hard.IP3 run/link.IP3 '..\\x.RA1'"
                       " && tar -P -rf %1 %2"
                       " && tar -P --transform 's,^,../,' -rf %1 run/2026-12-01/00001.RA1"
                       " && tar --transform 's,^,run/../../,' -rf %1 run/2026-12-01/00002.ra1")
            .arg(tar, absolute));
    const Collected c = Read(tar);
    EXPECT_EQ(c.error, QString());
    EXPECT_EQ(
        c.names, (QStringList { QStringLiteral("run/00003.IP3"), QStringLiteral("run/hard.IP3") }));
    EXPECT_EQ(c.asked, c.names);
    EXPECT_EQ(c.refused,
        (QStringList { QStringLiteral("../x.RA1: path with '..' refused"),
            absolute + QStringLiteral(": absolute path refused"),
            QStringLiteral("../run/2026-12-01/00001.RA1: path with '..' refused"),
            QStringLiteral("run/../../run/2026-12-01/00002.ra1: path with '..' refused") }));
    EXPECT_EQ(ReadArchiveMember(tar, QStringLiteral("../run/2026-12-01/00001.RA1"), {}).error,
        QStringLiteral("path with '..' refused"));
}

TEST(RunArchive, HardLinksAreReadAsTheFileTheyNameAndMembersOfOneNameApart)
{
    RunFolder run;
    const QString tar = run.path(QStringLiteral("links.tar"));
    const QString gz = run.path(QStringLiteral("links.tar.gz"));
    // GNU tar stores the second name of a file as a hard link to the first;
    // a later version of a file appended under its name is a second member.
    // big.RA1 is over the member limit below, and gone.RA1 is deleted from
    // the archive, leaving its link.
    Shell(run.root(),
        QStringLiteral(
            "cd run && ln 00003.IP3 00004.IP3 && mkdir later && ln 00003.IP3 later/00005.IP3"
            " && head -c 3000 /dev/zero | tr '\\0' 1 > big.RA1 && ln big.RA1 big2.RA1"
            " && echo gone > gone.RA1 && ln gone.RA1 gone2.RA1"
            " && tar -cf %1 00003.IP3 00004.IP3 later/00005.IP3 big.RA1 big2.RA1"
            " gone.RA1 gone2.RA1"
            " && tar --delete -f %1 gone.RA1"
            " && printf 'second\\n' > 00003.IP3 && tar -rf %1 00003.IP3"
            " && gzip -c %1 > %2")
            .arg(tar, gz));
    const QByteArray second = "second\n";
    for (const QString &archive : { tar, gz }) {
        SCOPED_TRACE(archive.toStdString());
        const Collected c = Read(archive, { 2048, 1 << 20 });
        EXPECT_EQ(c.error, QString());
        EXPECT_EQ(c.names,
            (QStringList { QStringLiteral("00003.IP3"), QStringLiteral("00003.IP3"),
                QStringLiteral("00004.IP3"), QStringLiteral("later/00005.IP3") }));
        EXPECT_EQ(c.bytes, (QList<QByteArray> { run.scan3, second, run.scan3, run.scan3 }));
        EXPECT_EQ(c.refused,
            (QStringList { QStringLiteral("big.RA1: member size 2.9 KB is over the 2 KB limit"),
                QStringLiteral("gone2.RA1: hard link to 'gone.RA1', which the archive does not "
                               "hold before it"),
                QStringLiteral("big2.RA1: hard link to 'big.RA1', which cannot be read: member "
                               "size 2.9 KB is over the 2 KB limit") }));

        const struct {
            const char *member;
            int occurrence;
            QByteArray bytes;
            const char *error;
        } rows[] = {
            { "00003.IP3", 0, run.scan3, "" },
            { "00003.IP3", 1, second, "" },
            { "00003.IP3", 2, {}, "the archive holds fewer than 3 files named '00003.IP3'" },
            { "./00004.IP3", 0, run.scan3, "" },
            { "later/00005.IP3", 0, run.scan3, "" },
            { "gone2.RA1", 0, {},
                "hard link to 'gone.RA1', which the archive does not hold before it" },
        };
        for (const auto &row : rows) {
            const MemberBytes got = ReadArchiveMember(
                archive, QLatin1String(row.member), { 2048, 1 << 20 }, row.occurrence);
            EXPECT_EQ(got.bytes, row.bytes) << row.member << " " << row.occurrence;
            EXPECT_EQ(got.error, QLatin1String(row.error)) << row.member << " " << row.occurrence;
        }
    }
    // Many links to one member count as many members against the total.
    EXPECT_EQ(Read(tar, { 1 << 20, 5000 }).error,
        QStringLiteral("the archive holds more than the 4.9 KB limit of data"));
}

TEST(RunArchive, AZipMadeOnAMacGivesTheReportOfItsFolder)
{
    TestFolder folder;
    RunPlan plan;
    plan.cells = { 1 };
    plan.speeds = { { 16000, 4, 12.0 } };
    ASSERT_TRUE(WriteRun(GenerateRun(plan), folder.path(QStringLiteral("run"))));
    // The Finder's zip holds a hidden AppleDouble file beside every file.
    Shell(folder.root(),
        QStringLiteral("mkdir -p stage/__MACOSX && cp -R run/. stage/"
                       " && for f in run/*; do printf '\\0\\005\\026\\007\\0\\002' >"
                       " \"stage/__MACOSX/._${f#run/}\"; done"
                       " && cd stage && zip -qr ../run.zip . && cd .. && rm -r stage"));
    const Finished zip = kelvane({ QStringLiteral("--report"), QStringLiteral("run.zip") },
        CommandPlace { folder.root(), false });
    const Finished plain = kelvane({ QStringLiteral("--report"), QStringLiteral("run") },
        CommandPlace { folder.root(), false });
    EXPECT_EQ(zip.status, 0) << zip.err.toStdString();
    EXPECT_EQ(zip.err, QByteArray());
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(QByteArray(zip.out).replace("run.zip/", "run/"), plain.out);
    EXPECT_EQ(plain.out.count('\n'), 5);
}

TEST(RunArchive, MemberLimitsRefuseBigMembersWithoutReadingThem)
{
    TestFolder folder;
    // Exactly at the limit, and one byte over it.
    Shell(folder.root(),
        QStringLiteral("head -c 1024 /dev/zero > a.RA1 && head -c 1025 /dev/zero > b.RA1"
                       " && tar -cf edge.tar a.RA1 b.RA1"));
    const Collected edge = Read(folder.path(QStringLiteral("edge.tar")), { 1024, 1 << 20 });
    EXPECT_EQ(edge.names, QStringList { QStringLiteral("a.RA1") });
    EXPECT_EQ(edge.refused,
        QStringList {
            QStringLiteral("b.RA1: member size 1025 bytes is over the 1024-byte limit") });
    EXPECT_EQ(ReadArchiveMember(folder.path(QStringLiteral("edge.tar")), QStringLiteral("b.RA1"),
                  { 1024, 1 << 20 })
                  .error,
        QStringLiteral("member size 1025 bytes is over the 1024-byte limit"));

    // A header that claims 4 GB over 600 bytes of data; the default limits.
    const QString claim = folder.write(QStringLiteral("claim.tar"),
        TarHeader("first.RA1", 3) + QByteArray("abc").leftJustified(512, '\0')
            + TarHeader("huge.RA1", 4LL << 30) + QByteArray(600, 'x'));
    const Collected huge = Read(claim);
    EXPECT_EQ(huge.names, QStringList { QStringLiteral("first.RA1") });
    EXPECT_EQ(huge.refused,
        QStringList { QStringLiteral("huge.RA1: member size 4 GB is over the 64 MB limit") });
    EXPECT_EQ(huge.error, QStringLiteral("the archive ends early (truncated)"));

    // A zip whose headers claim 1000 bytes for 5 MB of zeros.
    Shell(folder.root(),
        QStringLiteral("head -c 5000000 /dev/zero > zeros.RA1 && zip -q lies.zip zeros.RA1 a.RA1"));
    QByteArray zip = readFileBytes(folder.path(QStringLiteral("lies.zip")));
    for (const auto &[signature, at] : { std::pair { "PK\x03\x04", 22 }, { "PK\x01\x02", 24 } })
        zip.replace(zip.indexOf(signature) + at, 4, QByteArray("\xe8\x03\0\0", 4));
    Collected lies;
    lies.error
        = ReadArchiveBytes(zip, { 1 << 20, 1 << 30 }, lies.want(), lies.take(), lies.refuse());
    EXPECT_EQ(lies.error, QString());
    EXPECT_EQ(lies.names, QStringList { QStringLiteral("a.RA1") });
    EXPECT_EQ(lies.refused,
        QStringList { QStringLiteral("zeros.RA1: member is larger than the 1 MB limit") });
}

TEST(RunArchive, CompressionBombsStopAtTheTotalLimit)
{
    TestFolder folder;
    // One member claiming 32 MB of zeros: a small file, refused by its claim,
    // and passing over it inflates no more than the total limit.
    folder.write(QStringLiteral("bomb.head"), TarHeader("bomb.RA1", 32 << 20));
    Shell(folder.root(),
        QStringLiteral("{ cat bomb.head; head -c 33M /dev/zero; } | gzip -1 > bomb.tar.gz"));
    const QString bomb = folder.path(QStringLiteral("bomb.tar.gz"));
    EXPECT_LT(QFileInfo(bomb).size(), 1 << 20);
    const Collected one = Read(bomb, { 1 << 20, 8 << 20 });
    EXPECT_EQ(one.refused,
        QStringList { QStringLiteral("bomb.RA1: member size 32 MB is over the 1 MB limit") });
    EXPECT_EQ(one.error, QStringLiteral("the archive holds more than the 8 MB limit of data"));

    // Twelve members of 1 MB, each within the member limit: the first seven
    // fit under 8 MB and stay handed over.
    QString script = QStringLiteral("{ ");
    for (int i = 1; i <= 12; ++i) {
        const QByteArray name = QByteArray::number(i).rightJustified(5, '0') + ".RA1";
        folder.write(QString::fromLatin1(name + ".head"), TarHeader(name, 1 << 20));
        script += QStringLiteral("cat %1.head; head -c 1M /dev/zero; ").arg(QLatin1String(name));
    }
    Shell(folder.root(),
        script + QStringLiteral("head -c 1024 /dev/zero; } | gzip -1 > many.tar.gz"));
    const Collected many = Read(folder.path(QStringLiteral("many.tar.gz")), { 2 << 20, 8 << 20 });
    EXPECT_EQ(many.names.size(), 7);
    EXPECT_EQ(many.bytes.value(6), QByteArray(1 << 20, '\0'));
    EXPECT_EQ(many.error, QStringLiteral("the archive holds more than the 8 MB limit of data"));
}

TEST(RunArchive, BrokenArchivesFailWithTheirReason)
{
    RunFolder run;
    Shell(run.root(),
        QStringLiteral(
            "head -c 300000 /dev/urandom | base64 > run/big.RA1"
            " && tar -czf whole.tar.gz run/2026-12-01/00001.RA1 run/big.RA1"
            " && tar -cf whole.tar run/2026-12-01/00001.RA1 run/big.RA1"
            " && zip -q whole.zip run/2026-12-01/00001.RA1 run/big.RA1"
            " && echo 'not an archive' > text.tar.gz && gzip -c run/big.RA1 > gz.tar.gz"));
    const QByteArray gz = readFileBytes(run.path(QStringLiteral("whole.tar.gz")));
    const QByteArray tar = readFileBytes(run.path(QStringLiteral("whole.tar")));
    const QByteArray zip = readFileBytes(run.path(QStringLiteral("whole.zip")));
    QByteArray flipped = gz;
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x10);
    run.write(QStringLiteral("cut.tar.gz"), gz.left(gz.size() / 2));
    run.write(QStringLiteral("cut.tar"), tar.left(tar.size() / 2));
    run.write(QStringLiteral("cut.zip"), zip.left(zip.size() / 2));
    run.write(QStringLiteral("flipped.tar.gz"), flipped);
    run.write(QStringLiteral("empty.tar.gz"), {});

    const struct {
        const char *file, *error;
        int taken;
    } rows[] = {
        { "cut.tar.gz", "the archive ends early (truncated) at 'run/big.RA1'", 1 },
        { "cut.tar", "the archive ends early (truncated) at 'run/big.RA1'", 1 },
        { "cut.zip", "the archive ends early (truncated) at 'run/big.RA1'", 1 },
        { "flipped.tar.gz", "the archive is damaged (", -1 },
        { "empty.tar.gz", "the file is empty, not an archive", 0 },
        { "text.tar.gz", "not a .tar, .tar.gz or .zip archive", 0 },
        { "gz.tar.gz", "the file is gzip-compressed but holds no tar archive", 0 },
        { "missing.tar", "cannot open the archive: No such file or directory", 0 },
        { "run", "cannot open the archive: ", 0 },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.file);
        const Collected c = Read(run.path(QLatin1String(row.file)));
        EXPECT_TRUE(c.error.startsWith(QLatin1String(row.error))) << c.error.toStdString();
        if (row.taken >= 0) {
            EXPECT_EQ(c.names.size(), row.taken);
        }
    }
}

TEST(RunArchive, CancellingStopsBetweenMembersAndWithinALongOne)
{
    TestFolder folder;
    Shell(folder.root(),
        QStringLiteral("head -c 4M /dev/zero > long.RA1 && echo 1 > a.RA1 && echo 2 > b.RA1"
                       " && tar -czf run.tar.gz a.RA1 b.RA1 long.RA1"));
    const QString path = folder.path(QStringLiteral("run.tar.gz"));
    bool cancel = false;
    Collected between;
    between.error = ReadArchive(
        path, {}, {},
        [&](ArchiveMember &&member) {
            between.names << member.name;
            cancel = true;
        },
        {}, [&] { return cancel; });
    EXPECT_EQ(between.names, QStringList { QStringLiteral("a.RA1") });
    EXPECT_EQ(between.error, QStringLiteral("reading the archive was cancelled"));

    // A 4 MB member is read in 64 chunks, each a chance to stop.
    int polls = 0;
    Collected within;
    within.error = ReadArchive(
        path, {}, {}, within.take(), {}, [&] { return within.names.size() == 2 && ++polls > 3; });
    EXPECT_EQ(within.names.size(), 2);
    EXPECT_EQ(within.error, QStringLiteral("reading the archive was cancelled"));
}
