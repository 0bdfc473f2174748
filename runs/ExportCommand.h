// SPDX-License-Identifier: GPL-3.0-or-later
// `kelvane --export OUTDIR`: a run's scans split, trimmed, cleaned and
// saved for the fitting program, without a display, by the run window's
// own operations.
#pragma once

#include "runs/RunOptions.h"
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
    // Each scan cut to its setting's fit limits; from and to replace the
    // end they set.
    bool column = false;
    QString limitsFile; // the columns set by hand, in place of the ones found
    // Only the last scan of every setting at equilibrium, within its column
    // and named by cell, speed and wavelength; `options` judge equilibrium.
    bool equilibrium = false;
    RunOptions options;
};

// Reads the run of `paths` and saves its scans. Each file written is named
// on standard output; each file not read or not written on standard error
// with the reason. Returns the exit status: 0 when every file was read,
// every scan written and every row of the limits file used, 2 otherwise (a
// limits file that cannot be read: before anything is written).
int RunExportCommand(const QStringList &paths, const ExportRequest &request);
