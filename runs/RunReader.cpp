// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunReader.h"

#include "core/MemoryFile.h"
#include "core/NumLib.h"
#include "core/ProgramState.h"
#include "runs/RunArchive.h"
#include "runs/ScanFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

namespace
{

// Enough of the start of a file for its two leading lines and to tell text
// from binary.
constexpr qint64 HeadBytes = 4096;

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1 << 20), 'f', 1);
}

// One getdata at a time per reader; the arrays are reused from scan to scan.
class ScanReader
{
public:
    explicit ScanReader(NumLib &numlib)
        : m_numlib(numlib)
        , m_points(std::make_unique<PointArray>())
        , m_comments(std::make_unique<CommentBuffer>())
    {
    }

    // The checks on the first bytes that every scan passes; empty when it
    // may be read.
    static QString refusal(const QByteArray &head, qint64 size)
    {
        if (size == 0)
            return QStringLiteral("is empty");
        if (size > MaxScanBytes)
            return QStringLiteral("is %1 MB, more than a scan can be (at most %2 MB)")
                .arg(megabytes(size), megabytes(MaxScanBytes));
        if (head.contains('\0'))
            return QStringLiteral("is a binary file, not a scan");
        return {};
    }

    // getdata on `readPath`; the scan's fields from `head`. Empty when it
    // holds points, else why not.
    QString read(const QString &readPath, const QByteArray &head, Scan &scan)
    {
        int32_t n = 0;
        int32_t ncomm = 0;
        m_numlib.getdata(*m_points, n, readPath, ncomm, *m_comments);
        if (n < 1)
            return QStringLiteral("holds no data points");
        const LeadingLines lines = ReadLeadingLines(head);
        scan.description = lines.description.trimmed();
        scan.header = ParseScanHeader(lines.header);
        scan.numPoints = n;
        scan.points.assign(m_points->data(), m_points->data() + 3 * n);
        scan.numComments = ncomm;
        scan.comments = QByteArray(m_comments->data(), ncomm * CommentSlotLength);
        return {};
    }

private:
    NumLib &m_numlib;
    std::unique_ptr<PointArray> m_points;
    std::unique_ptr<CommentBuffer> m_comments;
};

QString fileName(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

void readFile(ScanReader &reader, const ScanSource &source, Run &run)
{
    // A pipe or device named on its own would block the read or never end.
    if (!QFileInfo(source.whole).isFile()) {
        run.failures.push_back({ source.path, QStringLiteral("is not a regular file") });
        return;
    }
    run.sources << source.whole;
    QFile file(source.whole);
    if (!file.open(QIODevice::ReadOnly)) {
        run.failures.push_back({ source.path, file.errorString() });
        return;
    }
    const QByteArray head = file.read(HeadBytes);
    QString why = ScanReader::refusal(head, file.size());
    file.close();
    Scan scan;
    if (why.isEmpty())
        why = reader.read(source.whole, head, scan);
    if (!why.isEmpty()) {
        run.failures.push_back({ source.path, why });
        return;
    }
    scan.path = source.path;
    scan.file = source.whole;
    scan.name = fileName(source.path);
    scan.shown = source.shown;
    run.scans.push_back(std::move(scan));
}

void readArchive(
    ScanReader &reader, const ScanSource &source, const ReadProgress &progress, Run &run)
{
    run.sources << source.whole;
    std::vector<Scan> scans;
    const auto take = [&](ArchiveMember &&member) {
        const QString path = source.path + QLatin1Char('/') + member.name;
        QString why = ScanReader::refusal(member.bytes.left(HeadBytes), member.bytes.size());
        Scan scan;
        if (why.isEmpty()) {
            const MemoryFile memory(member.bytes);
            why = memory.isOpen()
                ? reader.read(memory.path(), member.bytes.left(HeadBytes), scan)
                : QStringLiteral("cannot be held in memory: %1").arg(memory.error());
        }
        if (!why.isEmpty()) {
            run.failures.push_back({ path, why });
            return;
        }
        scan.path = path;
        scan.file = source.whole;
        scan.name = fileName(member.name);
        scan.shown = member.name;
        scan.archive = source.path;
        scan.member = member.name;
        scan.occurrence = member.occurrence;
        scans.push_back(std::move(scan));
    };
    // Hidden members (a Mac's "__MACOSX/._00001.RA1") are left out as a
    // folder's hidden files are.
    const auto want
        = [](const QString &name) { return IsScanFileName(fileName(name)) && !IsHiddenPath(name); };
    const auto refuse = [&](const QString &name, const QString &reason) {
        run.failures.push_back({ source.path + QLatin1Char('/') + name, reason });
    };
    const QString error
        = ReadArchive(source.whole, ArchiveLimits(), want, take, refuse, progress.cancelled);
    if (!error.isEmpty())
        run.failures.push_back({ source.path, error });
    // Damage is told by the gzip check at the stream's end: what came before
    // it may have been altered, so none of it is kept.
    if (error.startsWith(QLatin1String("the archive is damaged"))) {
        for (const Scan &scan : scans)
            run.failures.push_back(
                { scan.path, QStringLiteral("not read: the archive it is in is damaged") });
        scans.clear();
    }
    // In the order of their names, as a folder's files are.
    std::stable_sort(
        scans.begin(), scans.end(), [](const Scan &a, const Scan &b) { return a.shown < b.shown; });
    for (Scan &scan : scans)
        run.scans.push_back(std::move(scan));
}

} // namespace

Run ReadRun(const QStringList &paths, NumLib &numlib, const ReadProgress &progress)
{
    numlib.load();
    Run run;
    run.title = RunTitle(paths);
    const auto cancelled = [&progress] { return progress.cancelled && progress.cancelled(); };
    FoundSources found = FindScanSources(paths, progress.cancelled);
    for (const SourceProblem &problem : found.problems)
        run.failures.push_back({ problem.path, problem.reason });
    ScanReader reader(numlib);
    const int total = int(found.sources.size());
    for (int i = 0; i < total; ++i) {
        if (cancelled()) {
            run.cancelled = true;
            break;
        }
        const ScanSource &source = found.sources[size_t(i)];
        if (source.archive)
            readArchive(reader, source, progress, run);
        else
            readFile(reader, source, run);
        if (progress.report)
            progress.report(i + 1, total);
    }
    if (cancelled())
        run.cancelled = true;
    return run;
}

QString RunTitle(const QStringList &paths)
{
    if (paths.isEmpty())
        return {};
    const QFileInfo first(paths.constFirst());
    if (paths.size() == 1 && (first.isDir() || IsArchiveName(first.filePath()))) {
        const QString whole = QDir::cleanPath(first.absoluteFilePath());
        const QString name = QFileInfo(whole).fileName();
        return name.isEmpty() ? whole : name;
    }
    return first.absoluteDir().dirName();
}
