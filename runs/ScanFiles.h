// SPDX-License-Identifier: GPL-3.0-or-later
// Which files of a run are scans, and where a run's files are: the paths a
// user names (scan files, folders searched with their subfolders, archives)
// turned into the list of sources to read.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The instrument's scan names: .RA1 to .RA8, and .RI, .IP, .WA, .WI, .FI
// with a cell digit, and .dat; either letter case. Logs and the rest are not.
bool IsScanFileName(const QString &name);

// True when a part of the '/'-separated `path` starts with a dot: hidden,
// as a folder's hidden files and folders are.
bool IsHiddenPath(const QString &path);

// A file to read, found under one of the named paths.
struct ScanSource {
    QString path; // as found: the named path, joined with the file's place under it
    QString shown; // the file's place under the named folder (its name for a named file)
    QString whole; // the same file as a whole path, resolved once when found
    QString canonical; // and with links followed: the same file named twice has one
    bool archive = false; // an archive, whose scan members are read in place
};

struct SourceProblem {
    QString path;
    QString reason;
};

struct FoundSources {
    std::vector<ScanSource> sources; // in the order named; a folder's files by their place
    // Named paths that do not exist, folders that cannot be searched, and
    // entries of a folder that cannot be looked at, with the system's reason.
    std::vector<SourceProblem> problems;
};

// A named file is read whatever its name (an archive as one); a named folder
// gives its scan files and those of its subfolders, each folder visited once
// however symbolic links lead back to it. Hidden entries (names starting with
// a dot) are left out without a word; any other entry that cannot be looked
// at (a dangling link, an entry of a folder without search permission) is a
// problem. A file found more than once (after links are followed) is taken
// where it came first. `cancelled`, when given, is asked between folders.
FoundSources FindScanSources(const QStringList &paths, const std::function<bool()> &cancelled = {});
