// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ScanSave.h"

#include "core/DataFileText.h"
#include "core/FileReplace.h"
#include "core/ProgramState.h"
#include "runs/ScanEdits.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <map>
#include <optional>
#include <set>

QByteArray EditedScanText(const Scan &scan, const SaveForm &form)
{
    const auto [first, last] = FirstLastGood(scan);
    const int numComments
        = std::clamp<int>(scan.numComments, 0, int(scan.comments.size() / CommentSlotLength));
    return EditedDataText(scan.comments.constData(), numComments, scan.points.data(),
        form.complete ? 1 : first, form.complete ? scan.numPoints : last, form.radius);
}

QByteArray ScanFileText(const Scan &scan)
{
    QByteArray text;
    const int numComments
        = std::clamp<int>(scan.numComments, 0, int(scan.comments.size() / CommentSlotLength));
    for (int k = 0; k < numComments; ++k) {
        // A slot is blank-padded when read, so its trailing blanks need not
        // be written.
        QByteArray line = scan.comments.mid(k * CommentSlotLength, CommentSlotLength);
        while (line.endsWith(' '))
            line.chop(1);
        text += line;
        text += '\n';
    }
    char number[48];
    for (int i = 0; i < scan.numPoints; ++i) {
        for (int k = 0; k < 3; ++k) {
            // Nine significant digits give every float back exactly.
            const int n = std::snprintf(number, sizeof number, k == 0 ? "%.9g" : " %.9g",
                double(scan.points[size_t(3 * i + k)]));
            text.append(number, n);
        }
        text += '\n';
    }
    return text;
}

QString SavedName(const Scan &scan)
{
    return scan.name;
}

QStringList SourceFiles(const Run &run)
{
    const std::set<QString> files(run.sources.begin(), run.sources.end());
    return QStringList(files.begin(), files.end());
}

namespace
{

std::set<QString> canonicalPaths(const QStringList &files)
{
    std::set<QString> canonical;
    for (const QString &file : files) {
        const QString path = QFileInfo(file).canonicalFilePath();
        if (!path.isEmpty())
            canonical.insert(path);
    }
    return canonical;
}

} // namespace

QString FolderBesideRun(const Run &run)
{
    // What holds each scan: its folder, or its archive (a file, so the
    // folder above it is beside the run).
    std::optional<QString> common;
    for (const Scan &scan : run.scans) {
        const QString file = scan.file.isEmpty() ? scan.path : scan.file;
        QString holder
            = QDir::cleanPath(scan.archive.isEmpty() ? QFileInfo(file).absolutePath()
                                                     : QFileInfo(file).absoluteFilePath());
        if (!common) {
            common = holder;
            continue;
        }
        // The deepest folder above both.
        while (*common != holder) {
            if (common->size() >= holder.size())
                common = QFileInfo(*common).absolutePath();
            else
                holder = QFileInfo(holder).absolutePath();
        }
    }
    return common ? QFileInfo(*common).absolutePath() : QDir::currentPath();
}

QStringList ExistingTargets(
    const std::vector<const Scan *> &scans, const QString &folder, const QStringList &sources)
{
    QStringList existing;
    const QDir dir(folder);
    const std::set<QString> protect = canonicalPaths(sources);
    for (const Scan *scan : scans) {
        const QFileInfo target(dir.filePath(SavedName(*scan)));
        if (target.exists() && protect.count(target.canonicalFilePath()) == 0
            && !existing.contains(target.filePath()))
            existing << target.filePath();
    }
    return existing;
}

SaveResult SaveScans(const std::vector<const Scan *> &scans, const SaveRequest &request)
{
    SaveResult result;
    const QDir dir(request.folder);
    const std::set<QString> sources = canonicalPaths(request.sources);
    std::map<QString, const Scan *> taken;
    for (const Scan *scan : scans) {
        const QString target = dir.filePath(SavedName(*scan));
        const auto fail = [&](const QString &reason) {
            result.failures.push_back({ target, reason });
        };
        // Two scans of one name (from two folders) would overwrite each other.
        const auto [first, added] = taken.emplace(SavedName(*scan), scan);
        if (!added) {
            fail(
                QStringLiteral("%1 is not saved: another chosen scan, %2, is saved under this name")
                    .arg(scan->path, first->second->path));
            continue;
        }
        if (scan->numPoints < 1) {
            fail(QStringLiteral("%1 holds no data points").arg(scan->path));
            continue;
        }
        const QFileInfo info(target);
        if (info.exists()) {
            if (sources.count(info.canonicalFilePath()) != 0) {
                fail(QStringLiteral("it is a file of the run, which is never replaced"));
                continue;
            }
            if (!request.replaceExisting) {
                fail(QStringLiteral("it exists already and was not replaced"));
                continue;
            }
            if (info.isDir()) {
                fail(QStringLiteral("a folder of that name is in the way"));
                continue;
            }
        }
        QString problem;
        try {
            problem = ReplaceFileContents(target, EditedScanText(*scan, request.form));
        } catch (const std::exception &error) {
            problem = QString::fromLocal8Bit(error.what());
        }
        if (problem.isEmpty())
            result.written << target;
        else
            fail(problem);
    }
    return result;
}
