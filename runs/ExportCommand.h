// SPDX-License-Identifier: GPL-3.0-or-later
// `kelvane --export OUTDIR`: a run's scans split, trimmed, cleaned and
// saved for the fitting program, without a display, by the run window's
// own operations.
#pragma once

#include "runs/ScanSave.h"

#include <QStringList>

#include <optional>

struct ExportRequest {
    QString folder;
    SaveForm form;
    std::optional<double> from; // points before it are removed
    std::optional<double> to; // points after it are removed
    bool removeSuggested = false;
    bool splitChannels = false;
};

// Reads the run of `paths` and saves its scans. Each file written is named
// on standard output; each file not read or not written on standard error
// with the reason. Returns the exit status: 0 when every file was read and
// every scan written, 2 otherwise.
int RunExportCommand(const QStringList &paths, const ExportRequest &request);
