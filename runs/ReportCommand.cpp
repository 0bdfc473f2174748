// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ReportCommand.h"

#include "core/NumLib.h"
#include "runs/RunReader.h"
#include "runs/RunReport.h"

#include <QFile>

#include <cstdio>

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

int RunReportCommand(const QStringList &paths, const RunOptions &options)
{
    std::optional<Run> read = ReadRunForCommand(paths);
    if (!read)
        return 2;
    const Run &run = *read;
    const QByteArray csv = RunReportCsv(run, AnalyseRun(run, options));
    std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
    for (const ReadFailure &failure : run.failures)
        std::fprintf(stderr, "kelvane: %s: %s\n", QFile::encodeName(failure.path).constData(),
            failure.reason.toLocal8Bit().constData());
    if (std::fflush(stdout) != 0) {
        std::perror("kelvane: standard output");
        return 2;
    }
    return run.failures.empty() ? 0 : 2;
}
