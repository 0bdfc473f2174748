// SPDX-License-Identifier: GPL-3.0-or-later
// The run window's group operations on chosen scans, each one undoable step
// of RunEdits, and what each did in words. The command line's export runs
// the same ones, so both write the same bytes.
#pragma once

#include "core/Suggestions.h"
#include "runs/Run.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class RunEdits;

struct RangeReport {
    int changed = 0; // scans whose flags changed
    std::vector<int> refused; // scans with no point in the range, left as they were
};

// Applies `range` to each of `scans` (indices into the run) as one step.
RangeReport ApplyRangeTo(
    RunEdits &edits, Run &run, const std::vector<int> &scans, const RadiusRange &range);

struct SuggestReport {
    int scans = 0; // scans with a point removed
    int points = 0; // points removed
    // Of those, by kind: a point suggested for several is counted under the
    // first of them, so the counts add up to `points`.
    std::array<int, SuggestKindCount> kinds {};
};

// The range a scan's removals are kept to, when it has one.
using ScanWithin = std::function<std::optional<RadiusRange>(const Scan &)>;

// Removes the points suggested in each of `scans` as one step; with
// `within`, only those inside the range it gives a scan (a scan it gives
// none is passed over), so that the artifacts outside the solution column
// stay as they are.
SuggestReport RemoveSuggestedFrom(RunEdits &edits, const std::vector<int> &scans,
    const SuggestSettings &settings = {}, const ScanWithin &within = {});

// "Removed 12 points from 3 scans: 4 place-holder rows, ..."; kinds with no
// point are left out.
QString SuggestSummary(const SuggestReport &report);

// "Edit 00012.RA1": the step of an edit made in the editor. Only the points
// whose flag the editor changed from `handed` (what it was given) to
// `flags` change, so edits made to the scan since it was opened stay.
bool TakeEditorFlags(RunEdits &edits, Run &run, int scan, const std::vector<float> &handed,
    const std::vector<float> &flags);
