// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ExportCommand.h"

#include "runs/ChannelPlan.h"
#include "runs/EquilibriumSave.h"
#include "runs/GroupEdits.h"
#include "runs/ReportCommand.h"
#include "runs/RunAnalysis.h"
#include "runs/RunEdits.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <limits>
#include <numeric>
#include <set>

namespace
{

void complain(const QString &path, const QString &reason)
{
    std::fprintf(stderr, "kelvane: %s: %s\n", QFile::encodeName(path).constData(),
        reason.toLocal8Bit().constData());
}

std::vector<int> everyScan(const Run &run)
{
    std::vector<int> all(run.scans.size());
    std::iota(all.begin(), all.end(), 0);
    return all;
}

bool writeSaved(const std::vector<const Scan *> &scans, const ExportRequest &request,
    const QStringList &sources)
{
    const SaveResult saved
        = SaveScans(scans, SaveRequest { request.folder, request.form, false, sources });
    for (const QString &path : saved.written)
        std::fprintf(stdout, "%s\n", QFile::encodeName(path).constData());
    for (const ReadFailure &failure : saved.failures)
        complain(failure.path, failure.reason);
    if (std::fflush(stdout) != 0) {
        std::perror("kelvane: standard output");
        return false;
    }
    return saved.failures.empty();
}

// What a fitting program is given: the last scan of every setting at
// equilibrium, within its column.
int exportEquilibrium(Run &run, RunEdits &edits, const ExportRequest &request,
    const std::optional<LimitsRead> &limits, const QStringList &sources)
{
    int status = 0;
    if (request.removeSuggested)
        RemoveSuggestedFrom(edits, everyScan(run));
    RunOptions options = request.options;
    if (limits)
        options.limits = limits->limits;
    const RunAnalysis analysis = AnalyseRun(run, options);
    if (limits && NameUnusedLimits(request.limitsFile, *limits, analysis.groups))
        status = 2;
    const EquilibriumScans chosen = EquilibriumScansOf(run, analysis);
    for (int g : chosen.notReached) {
        const ScanGroup &group = analysis.groups.groups[size_t(g)];
        complain(run.scans[size_t(group.last())].path,
            QStringLiteral("its setting has not reached equilibrium; not written"));
    }
    for (int g : chosen.noColumn) {
        const ScanGroup &group = analysis.groups.groups[size_t(g)];
        complain(run.scans[size_t(group.last())].path,
            QStringLiteral("no solution column found; written whole"));
    }
    if (chosen.scans.empty()) {
        std::fprintf(stderr, "kelvane: no setting is at equilibrium; nothing written\n");
        return 2;
    }
    std::vector<const Scan *> scans;
    for (const Scan &scan : chosen.scans)
        scans.push_back(&scan);
    return writeSaved(scans, request, sources) ? status : 2;
}

} // namespace

int RunExportCommand(const QStringList &paths, const ExportRequest &request)
{
    std::optional<LimitsRead> limits;
    if (!request.limitsFile.isEmpty()) {
        limits = ReadLimitsForCommand(request.limitsFile);
        if (!limits)
            return 2;
    }
    std::optional<Run> read = ReadRunForCommand(paths);
    if (!read)
        return 2;
    Run &run = *read;
    int status = 0;
    for (const ReadFailure &failure : run.failures) {
        complain(failure.path, failure.reason);
        status = 2;
    }
    if (!QDir().mkpath(request.folder) || !QFileInfo(request.folder).isDir()) {
        complain(request.folder, QStringLiteral("the folder cannot be made"));
        return 2;
    }

    // The order of the window's operations: the columns first, so that the
    // range and the detector see each column alone.
    const QStringList sources = SourceFiles(run);
    RunEdits edits(run);
    if (request.splitChannels)
        SplitChannels(edits, run, ProposeChannels(run, everyScan(run)));
    if (request.equilibrium)
        return status | exportEquilibrium(run, edits, request, limits, sources);
    // The groups and their columns of the run as split; the fits and checks
    // are not needed for the range, but the columns are the window's.
    RunAnalysis analysis;
    if (request.column) {
        RunOptions options;
        if (limits)
            options.limits = limits->limits;
        analysis = AnalyseRun(run, options);
    } else if (limits) {
        analysis.groups = GroupScans(run.scans);
    }
    if (limits && NameUnusedLimits(request.limitsFile, *limits, analysis.groups))
        status = 2;

    const RadiusRange given { request.from.value_or(-std::numeric_limits<double>::infinity()),
        request.to.value_or(std::numeric_limits<double>::infinity()) };
    std::vector<std::pair<std::vector<int>, RadiusRange>> ranges;
    if (request.column) {
        std::vector<int> whole;
        for (size_t g = 0; g < analysis.groups.groups.size(); ++g) {
            if (const std::optional<SolutionColumn> &column = analysis.columns[g])
                ranges.push_back({ analysis.groups.groups[g].scans,
                    { request.from.value_or(column->inner), request.to.value_or(column->outer) } });
        }
        const bool ranged = request.from || request.to;
        for (size_t i = 0; i < run.scans.size(); ++i) {
            if (analysis.columnOfScan(int(i)))
                continue;
            complain(run.scans[i].path,
                ranged ? QStringLiteral("no solution column found; only the range given applied")
                       : QStringLiteral("no solution column found; written whole"));
            if (ranged)
                whole.push_back(int(i));
        }
        if (!whole.empty())
            ranges.push_back({ whole, given });
    } else if (request.from || request.to) {
        ranges.push_back({ everyScan(run), given });
    }
    std::set<int> refused;
    for (const auto &[scans, range] : ranges) {
        for (int scan : ApplyRangeTo(edits, run, scans, range).refused) {
            complain(run.scans[size_t(scan)].path,
                QStringLiteral("no point lies in the range; not written"));
            refused.insert(scan);
            status = 2;
        }
    }
    if (request.removeSuggested)
        RemoveSuggestedFrom(edits, everyScan(run));

    std::vector<const Scan *> scans;
    for (size_t i = 0; i < run.scans.size(); ++i) {
        if (refused.count(int(i)) == 0)
            scans.push_back(&run.scans[i]);
    }
    return writeSaved(scans, request, sources) ? status : 2;
}
