// SPDX-License-Identifier: GPL-3.0-or-later
// What is computed over a run for its table, report and plots: the groups
// and the equilibrium check of every scan, for the settings the user chose.
#pragma once

#include "runs/EquilibriumCheck.h"
#include "runs/LnCFit.h"
#include "runs/Run.h"
#include "runs/RunGroups.h"
#include "runs/RunOptions.h"

#include <vector>

struct RunAnalysis {
    RunOptions options;
    RunGroups groups;
    std::vector<ScanCheck> checks; // per scan: against its group's last scan
    std::vector<GroupVerdict> verdicts; // per group
    std::vector<FitSummary> fits; // per scan: ln c against r^2/2
};

RunAnalysis AnalyseRun(const Run &run, const RunOptions &options = {});

// The equilibrium check alone, over groups already found: the checks and
// the verdicts of `analysis`.
void CheckGroups(const Run &run, RunAnalysis &analysis);
