// SPDX-License-Identifier: GPL-3.0-or-later
// Splitting the scans of a cell with several sample columns: one set of
// column bounds per cell and speed (menisci move a little with speed),
// proposed from its scans and then applied to every one of them.
#pragma once

#include "runs/Run.h"

#include <vector>

class RunEdits;

struct ChannelSetting {
    int cell = 0;
    int speed = 0; // rpm
    std::vector<RadiusRange> columns; // by rising radius
};

// The cells of `scans` (indices into the run), every speed of each: a
// proposal for each cell and speed whose scans hold more than one column.
// Scans without a header, and columns already split, take no part.
std::vector<ChannelSetting> ProposeChannels(const Run &run, const std::vector<int> &scans);

// The scans a setting applies to: every scan of its cell and speed not yet
// split, as indices into the run.
std::vector<int> ScansOf(const Run &run, const ChannelSetting &setting);

// Splits the scans of every setting with more than one column as one step.
bool SplitChannels(RunEdits &edits, const Run &run, const std::vector<ChannelSetting> &settings);
