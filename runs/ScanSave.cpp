// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ScanSave.h"

#include "base/FileReplace.h"
#include "base/ProgramState.h"
#include "datafiles/SaveEditedFile.h"
#include "runs/ScanEdits.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <exception>
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

QStringList ExistingTargets(const std::vector<const Scan *> &scans, const QString &folder)
{
    QStringList existing;
    const QDir dir(folder);
    for (const Scan *scan : scans) {
        const QString target = dir.filePath(SavedName(*scan));
        if (QFileInfo::exists(target) && !existing.contains(target))
            existing << target;
    }
    return existing;
}

SaveResult SaveScans(const std::vector<const Scan *> &scans, const SaveRequest &request)
{
    SaveResult result;
    const QDir dir(request.folder);
    std::set<QString> sources;
    for (const QString &source : request.sources) {
        const QString canonical = QFileInfo(source).canonicalFilePath();
        if (!canonical.isEmpty())
            sources.insert(canonical);
    }
    std::set<QString> taken;
    for (const Scan *scan : scans) {
        const QString target = dir.filePath(SavedName(*scan));
        const auto fail = [&](const QString &reason) {
            result.failures.push_back({ target, reason });
        };
        // Two scans of one name (from two folders) would overwrite each other.
        if (!taken.insert(SavedName(*scan)).second) {
            fail(QStringLiteral("another chosen scan, %1, is saved under this name")
                     .arg(scan->path));
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
