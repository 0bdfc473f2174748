#include "runs/RunAnalysis.h"

RunAnalysis AnalyseRun(const Run &run, const RunOptions &options)
{
    RunAnalysis analysis;
    analysis.options = options;
    analysis.groups = GroupScans(run.scans);
    return analysis;
}
