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
    std::vector<std::optional<SolutionColumn>> found; // per group: the column its scans show
    std::vector<std::optional<SolutionColumn>> columns; // per group: found, or set by hand
    // Per group without a column found: its meniscus, when its scans show
    // one; the computations then start at the inner limit past it.
    std::vector<std::optional<double>> menisci;

    // The column of a scan's group, when known.
    const std::optional<SolutionColumn> &columnOfScan(int scan) const;
    // The options a computation over a scan uses: the range is its
    // column's fit limits where the user set no end.
    RunOptions optionsOfScan(int scan) const;
    RunOptions optionsOfGroup(int group) const;
};

RunAnalysis AnalyseRun(const Run &run, const RunOptions &options = {});

// The columns, the checks and the fits again, over groups already found,
// after the options or the columns set by hand changed.
void AnalyseGroups(const Run &run, RunAnalysis &analysis);

// The equilibrium check alone, over groups and columns already found: the
// checks and the verdicts of `analysis`.
void CheckGroups(const Run &run, RunAnalysis &analysis);

// One group again after its column set by hand changed: its column from
// the options' limits (or as found), the checks and the verdict of its
// scans and their fits; the other groups stay as they are. A group out of
// range changes nothing.
void AnalyseGroup(const Run &run, RunAnalysis &analysis, int group);
