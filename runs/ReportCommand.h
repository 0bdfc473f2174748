// SPDX-License-Identifier: GPL-3.0-or-later
// `kelvane --report`: the run's table as CSV on standard output, without a
// display.
#pragma once

#include "runs/LimitsFile.h"
#include "runs/RunAnalysis.h"

#include <QStringList>

#include <optional>

// The run of `paths` read with the library, as the commands without a
// window read it; nothing, after saying why on standard error, when the
// library cannot be loaded.
std::optional<Run> ReadRunForCommand(const QStringList &paths);

// The limits file at `path` read for a command; nothing, after naming it on
// standard error with the reason, when it cannot be read as a whole.
std::optional<LimitsRead> ReadLimitsForCommand(const QString &path);

// Names on standard error each row of the limits file at `path` that could
// not be read and each that matches no group of `groups`; whether there
// was any.
bool NameUnusedLimits(const QString &path, const LimitsRead &read, const RunGroups &groups);

// Reads the run of `paths`, prints the table and names each file that could
// not be read on standard error with the reason. With a `limitsFile`, its
// rows are the columns set by hand. Returns the exit status: 0 when every
// file was read and every row of the limits file used, 2 otherwise (the
// library missing included; a limits file that cannot be read gives no
// table).
int RunReportCommand(
    const QStringList &paths, const RunOptions &options, const QString &limitsFile = {});
