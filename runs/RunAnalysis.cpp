#include "runs/RunAnalysis.h"

#include "runs/GoodPoints.h"

RunAnalysis AnalyseRun(const Run &run, const RunOptions &options)
{
    RunAnalysis analysis;
    analysis.options = options;
    analysis.groups = GroupScans(run.scans);
    analysis.checks.assign(run.scans.size(), ScanCheck());
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
    return analysis;
}
