// SPDX-License-Identifier: GPL-3.0-or-later
// `kelvane --report`: the run's table as CSV on standard output, without a
// display.
#pragma once

#include "runs/RunAnalysis.h"

#include <QStringList>

// Reads the run of `paths`, prints the table and names each file that could
// not be read on standard error with the reason. Returns the exit status: 0
// when every file was read, 2 otherwise (the library missing included).
int RunReportCommand(const QStringList &paths, const RunOptions &options);
