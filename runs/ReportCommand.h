// SPDX-License-Identifier: GPL-3.0-or-later
// `kelvane --report`: the run's table as CSV on standard output, without a
// display.
#pragma once

#include "runs/RunAnalysis.h"

#include <QStringList>

#include <optional>

// The run of `paths` read with the library, as the commands without a
// window read it; nothing, after saying why on standard error, when the
// library cannot be loaded.
std::optional<Run> ReadRunForCommand(const QStringList &paths);

// Reads the run of `paths`, prints the table and names each file that could
// not be read on standard error with the reason. Returns the exit status: 0
// when every file was read, 2 otherwise (the library missing included).
int RunReportCommand(const QStringList &paths, const RunOptions &options);
