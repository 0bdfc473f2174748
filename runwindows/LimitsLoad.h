// SPDX-License-Identifier: GPL-3.0-or-later
// A limits file read into the run window: asked for in an open dialog,
// read, and whatever of it cannot be used told in one message.
#pragma once

#include "runs/ColumnLimits.h"

#include <QString>

#include <optional>
#include <vector>

class Platform;

struct LoadedLimits {
    QString path;
    std::vector<ColumnLimits> limits; // the rows that match a setting, in file order
};

// Nothing when the user cancels or the file cannot be read as a limits
// file. Bad rows and rows that match no setting of `groups` are named by
// their line and left out; the rest is given.
std::optional<LoadedLimits> LoadLimitsFile(Platform &platform, const RunGroups &groups);

// `limits` with `loaded` put in: a loaded row replaces a column of the same
// setting, and a later row wins over an earlier one.
std::vector<ColumnLimits> WithLoaded(
    std::vector<ColumnLimits> limits, const std::vector<ColumnLimits> &loaded);
