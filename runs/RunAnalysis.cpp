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

namespace
{

void applyLimits(RunAnalysis &analysis, size_t g)
{
    analysis.columns[g] = analysis.found[g];
    for (const ColumnLimits &limits : analysis.options.limits) {
        if (limits.matches(analysis.groups.groups[g])) {
            analysis.columns[g] = limits.values;
            analysis.columns[g]->byHand = true;
        }
    }
}

void checkGroup(const Run &run, RunAnalysis &analysis, size_t g)
{
    const ScanGroup &group = analysis.groups.groups[g];
    const RunOptions options = analysis.optionsOfGroup(int(g));
    const int last = group.last();
    LastScan reference(GoodPoints(run.scans[size_t(last)], options.ceiling));
    for (int scan : group.scans) {
        analysis.checks[size_t(scan)] = scan == last
            ? ScanCheck()
            : CheckGoodPoints(
                GoodPoints(run.scans[size_t(scan)], options.ceiling), reference, options);
    }
}

} // namespace

void AnalyseGroups(const Run &run, RunAnalysis &analysis)
{
    analysis.columns = analysis.found;
    for (size_t g = 0; g < analysis.groups.groups.size(); ++g)
        applyLimits(analysis, g);
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
        checkGroup(run, analysis, g);
        analysis.verdicts.push_back(VerdictOf(analysis.groups.groups[g].scans, analysis.checks));
    }
}

void AnalyseGroup(const Run &run, RunAnalysis &analysis, int group)
{
    if (group < 0 || size_t(group) >= analysis.groups.groups.size()
        || analysis.columns.size() != analysis.groups.groups.size())
        return;
    const size_t g = size_t(group);
    applyLimits(analysis, g);
    checkGroup(run, analysis, g);
    const std::vector<int> &scans = analysis.groups.groups[g].scans;
    analysis.verdicts[g] = VerdictOf(scans, analysis.checks);
    for (int scan : scans)
        analysis.fits[size_t(scan)]
            = SummaryOf(FitScan(run.scans[size_t(scan)], analysis.optionsOfScan(scan)));
}
