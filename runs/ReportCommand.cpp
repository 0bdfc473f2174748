// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ReportCommand.h"

#include "core/NumLib.h"
#include "runs/RunReader.h"
#include "runs/RunReport.h"

#include <QFile>

#include <cstdio>
#include <map>

std::optional<Run> ReadRunForCommand(const QStringList &paths)
{
    NumLib numlib;
    try {
        return ReadRun(paths, numlib);
    } catch (const NumLibError &error) {
        std::fprintf(stderr, "kelvane: %s\n", error.what());
        return std::nullopt;
    }
}

namespace
{

void complain(const QString &path, const QString &reason)
{
    std::fprintf(stderr, "kelvane: %s: %s\n", QFile::encodeName(path).constData(),
        reason.toLocal8Bit().constData());
}

} // namespace

std::optional<LimitsRead> ReadLimitsForCommand(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        complain(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        complain(path, file.errorString());
        return std::nullopt;
    }
    LimitsRead read = ReadLimitsCsv(bytes);
    if (!read.failure.isEmpty()) {
        complain(path, read.failure);
        return std::nullopt;
    }
    return read;
}

bool NameUnusedLimits(const QString &path, const LimitsRead &read, const RunGroups &groups)
{
    // In the file's order, whatever is wrong with each line.
    std::map<int, QString> problems;
    for (qsizetype i = 0; i < read.errors.size(); ++i)
        problems[size_t(i) < read.errorLines.size() ? read.errorLines[size_t(i)] : 0]
            = read.errors[i];
    for (int line : UnmatchedLines(read, groups))
        problems[line] = QStringLiteral("line %1 matches no setting").arg(line);
    for (const auto &[line, problem] : problems)
        complain(path, problem);
    return !problems.empty();
}

int RunReportCommand(const QStringList &paths, const RunOptions &options, const QString &limitsFile)
{
    RunOptions chosen = options;
    std::optional<LimitsRead> limits;
    if (!limitsFile.isEmpty()) {
        limits = ReadLimitsForCommand(limitsFile);
        if (!limits)
            return 2;
        chosen.limits = limits->limits;
    }
    std::optional<Run> read = ReadRunForCommand(paths);
    if (!read)
        return 2;
    const Run &run = *read;
    const RunAnalysis analysis = AnalyseRun(run, chosen);
    const QByteArray csv = RunReportCsv(run, analysis);
    std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
    int status = 0;
    for (const ReadFailure &failure : run.failures) {
        complain(failure.path, failure.reason);
        status = 2;
    }
    if (limits && NameUnusedLimits(limitsFile, *limits, analysis.groups))
        status = 2;
    if (std::fflush(stdout) != 0) {
        std::perror("kelvane: standard output");
        return 2;
    }
    return status;
}
