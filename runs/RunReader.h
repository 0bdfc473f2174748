// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a run: every scan of the named paths through the library's
// getdata, as Get Data reads a file, with its description and header.
#pragma once

#include "runs/Run.h"

#include <QStringList>

#include <functional>

class NumLib;

// The largest file taken for a scan; a scan of 2199 points is about 80 KB.
constexpr qint64 MaxScanBytes = 64LL << 20;

struct ReadProgress {
    // Called after each file or archive: how many of how many are done.
    std::function<void(int done, int total)> report;
    // Asked between files; true stops the reading (Run::cancelled is set).
    std::function<bool()> cancelled;
};

// Reads the scans of `paths` (scan files, folders with their subfolders,
// archives). A file that gives no scan (missing, unreadable, empty, binary,
// too large, without data points, a refused archive member) is listed in
// Run::failures with the reason, and the rest are read. Paths are kept as
// named (Scan::path); each file is read by its whole path, resolved once at
// the start (Scan::file, Run::sources). Throws NumLibError
// before anything is read when the library cannot be loaded. Safe to run
// on a worker thread once numlib has been loaded.
Run ReadRun(const QStringList &paths, NumLib &numlib, const ReadProgress &progress = {});

// The title of a run of these paths: the folder's or archive's name, or for
// files the name of the folder they are in.
QString RunTitle(const QStringList &paths);
