// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunAnalysis.h"

#include "runs/GoodPoints.h"

RunAnalysis AnalyseRun(const Run &run, const RunOptions &options)
{
    RunAnalysis analysis;
    analysis.options = options;
    analysis.groups = GroupScans(run.scans);
    CheckGroups(run, analysis);
    analysis.fits.reserve(run.scans.size());
    for (const Scan &scan : run.scans)
        analysis.fits.push_back(SummaryOf(FitScan(scan, options)));
    return analysis;
}

void CheckGroups(const Run &run, RunAnalysis &analysis)
{
    const RunOptions &options = analysis.options;
    analysis.checks.assign(run.scans.size(), ScanCheck());
    analysis.verdicts.clear();
    for (const ScanGroup &group : analysis.groups.groups) {
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
