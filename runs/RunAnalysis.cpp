// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunAnalysis.h"

#include "runs/GoodPoints.h"

namespace
{

const std::optional<SolutionColumn> noColumn;

} // namespace

const std::optional<SolutionColumn> &RunAnalysis::columnOfScan(int scan) const
{
    if (scan < 0 || size_t(scan) >= groups.groupOf.size())
        return noColumn;
    const int group = groups.groupOf[size_t(scan)];
    return group >= 0 && size_t(group) < columns.size() ? columns[size_t(group)] : noColumn;
}

RunOptions RunAnalysis::optionsOfGroup(int group) const
{
    RunOptions chosen = options;
    chosen.limits.clear();
    if (group >= 0 && size_t(group) < columns.size() && columns[size_t(group)]) {
        const SolutionColumn &column = *columns[size_t(group)];
        if (!chosen.from)
            chosen.from = column.inner;
        if (!chosen.to)
            chosen.to = column.outer;
    } else if (group >= 0 && size_t(group) < menisci.size() && menisci[size_t(group)]) {
        if (!chosen.from)
            chosen.from = ColumnRadius(*menisci[size_t(group)] + MeniscusMargin);
    }
    return chosen;
}

RunOptions RunAnalysis::optionsOfScan(int scan) const
{
    const int group
        = scan >= 0 && size_t(scan) < groups.groupOf.size() ? groups.groupOf[size_t(scan)] : -1;
    return optionsOfGroup(group);
}

RunAnalysis AnalyseRun(const Run &run, const RunOptions &options)
{
    RunAnalysis analysis;
    analysis.options = options;
    analysis.groups = GroupScans(run.scans);
    analysis.found = FindColumns(run, analysis.groups, &analysis.menisci);
    AnalyseGroups(run, analysis);
    return analysis;
}

void AnalyseGroups(const Run &run, RunAnalysis &analysis)
{
    analysis.columns = analysis.found;
    for (size_t g = 0; g < analysis.groups.groups.size(); ++g) {
        for (const ColumnLimits &limits : analysis.options.limits) {
            if (limits.matches(analysis.groups.groups[g])) {
                analysis.columns[g] = limits.values;
                analysis.columns[g]->byHand = true;
            }
        }
    }
    CheckGroups(run, analysis);
    analysis.fits.clear();
    analysis.fits.reserve(run.scans.size());
    for (size_t i = 0; i < run.scans.size(); ++i)
        analysis.fits.push_back(SummaryOf(FitScan(run.scans[i], analysis.optionsOfScan(int(i)))));
}

void CheckGroups(const Run &run, RunAnalysis &analysis)
{
    analysis.checks.assign(run.scans.size(), ScanCheck());
    analysis.verdicts.clear();
    for (size_t g = 0; g < analysis.groups.groups.size(); ++g) {
        const ScanGroup &group = analysis.groups.groups[g];
        const RunOptions options = analysis.optionsOfGroup(int(g));
        const int last = group.last();
        LastScan reference(GoodPoints(run.scans[size_t(last)], options.ceiling));
        for (int scan : group.scans) {
            if (scan != last)
                analysis.checks[size_t(scan)] = CheckGoodPoints(
                    GoodPoints(run.scans[size_t(scan)], options.ceiling), reference, options);
        }
        analysis.verdicts.push_back(VerdictOf(group.scans, analysis.checks));
    }
}
