// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a run's scans as edited data sets for the fitting program, each in
// the byte layout of the editor's four saves and named after its source.
// A file already there is replaced only when the user said so, and a file
// the run was read from never.
#pragma once

#include "runs/Run.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

struct SaveForm {
    bool complete = false; // every point, or the first to the last good one
    bool radius = true; // x as r, or as r²/2
};

// The bytes of a scan saved as the editor saves a data set with its flags.
QByteArray EditedScanText(const Scan &scan, const SaveForm &form);

// The scan as a data file that the library reads back to the same comment
// lines and the same values, bit for bit: what the editor is given when an
// edited scan, which has no file of its own, is opened.
QByteArray ScanFileText(const Scan &scan);

// The name a scan is saved under.
QString SavedName(const Scan &scan);

struct SaveRequest {
    QString folder;
    SaveForm form;
    bool replaceExisting = false;
    // The files of the run (plain scan files and archives): never replaced.
    QStringList sources;
};

struct SaveResult {
    QStringList written; // the files, as paths in the folder
    std::vector<ReadFailure> failures; // the files not written, and why
};

// The files of the run, as SaveRequest::sources wants them.
QStringList SourceFiles(const Run &run);

// The folder beside the run, from which a save folder typed without its
// whole path is taken: the one that holds the run's archive, or the folder
// above the deepest one holding all its scan files. Never one the run's
// scans were found in.
QString FolderBesideRun(const Run &run);

// The targets of `scans` in `folder` that exist already, but for the files
// of the run (`sources`), which are never replaced whatever the answer.
QStringList ExistingTargets(
    const std::vector<const Scan *> &scans, const QString &folder, const QStringList &sources = {});

// Writes each scan, going on past a failure; a scan without points (an
// empty split column) is not written.
SaveResult SaveScans(const std::vector<const Scan *> &scans, const SaveRequest &request);
