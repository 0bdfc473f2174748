// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/LimitsLoad.h"

#include "base/Platform.h"
#include "runs/LimitsFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <map>

namespace
{

const QString Title = QStringLiteral("Load Limits");

} // namespace

std::optional<LoadedLimits> LoadLimitsFile(Platform &platform, const RunGroups &groups)
{
    FileDialogSpec spec;
    spec.title = Title;
    spec.filter = QStringLiteral("CSV table | *.csv");
    spec.flags = FileDialogFlag::FileMustExist | FileDialogFlag::PathMustExist;
    spec.defaultExt = QStringLiteral("csv");
    const QString workDir = QDir::currentPath();
    const std::optional<QString> chosen = platform.fileDialog(spec);
    QDir::setCurrent(workDir);
    if (!chosen)
        return std::nullopt;
    const QString shown = QDir::toNativeSeparators(*chosen);
    QFile file(*chosen);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        platform.messageBox(
            QStringLiteral("The file\n%1\ncannot be read: %2\nNo column was changed.")
                .arg(shown, file.errorString()),
            Title, MsgStyle::Exclamation);
        return std::nullopt;
    }
    const LimitsRead read = ReadLimitsCsv(bytes);
    if (!read.failure.isEmpty()) {
        platform.messageBox(
            QStringLiteral("The file\n%1\nis not a limits file: %2\nNo column was changed.")
                .arg(shown, read.failure),
            Title, MsgStyle::Exclamation);
        return std::nullopt;
    }

    // Every problem in one message, in the file's order.
    std::map<int, QString> problems;
    for (qsizetype i = 0; i < read.errors.size(); ++i)
        problems[size_t(i) < read.errorLines.size() ? read.errorLines[size_t(i)] : 0]
            = read.errors[i];
    const std::vector<int> unmatched = UnmatchedLines(read, groups);
    for (int line : unmatched)
        problems[line] = QStringLiteral("line %1 matches no setting of this run").arg(line);

    LoadedLimits loaded { *chosen, {} };
    for (size_t i = 0; i < read.limits.size(); ++i) {
        if (std::find(unmatched.begin(), unmatched.end(), read.lines[i]) == unmatched.end())
            loaded.limits.push_back(read.limits[i]);
    }
    if (!problems.empty()) {
        QStringList lines;
        for (const auto &[line, problem] : problems)
            lines << problem;
        if (lines.size() > 20)
            lines = lines.mid(0, 20) << QStringLiteral("...");
        platform.messageBox(QStringLiteral("%1 of the columns in\n%2\nwere used; these lines were "
                                           "not:\n%3")
                                .arg(loaded.limits.size())
                                .arg(shown, lines.join(QLatin1Char('\n'))),
            Title, MsgStyle::Exclamation);
    }
    return loaded;
}

std::vector<ColumnLimits> WithLoaded(
    std::vector<ColumnLimits> limits, const std::vector<ColumnLimits> &loaded)
{
    for (const ColumnLimits &row : loaded) {
        std::erase_if(limits, [&row](const ColumnLimits &l) { return l.sameSetting(row); });
        limits.push_back(row);
    }
    return limits;
}
