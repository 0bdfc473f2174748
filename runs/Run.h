// SPDX-License-Identifier: GPL-3.0-or-later
// The run layer: many scans of one experiment at once, beside the one data
// set of the program state. A run is read from the paths a user names
// (files, folders, archives) with the library's getdata, exactly as Get Data
// reads a file; each scan keeps its points, its comment lines and the typed
// fields of its header line. Groups, the report and the run window build on
// this record; nothing here knows of widgets.
#pragma once

#include "runs/ScanHeader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// A stretch of radius, both ends included (cm).
struct RadiusRange {
    double from = 0.0;
    double to = 0.0;
};

struct Scan {
    QString path; // as found, e.g. "run/2026/00012.RA1" or "run.tar.gz/00012.RA1"
    // What is on disk, as a whole path resolved when the run was read: the
    // scan's file, or the archive that holds it. What opens or protects the
    // scan's file uses this; the current folder may have moved since.
    QString file;
    QString name; // the file name alone
    QString shown; // its place under the folder or archive it came from
    QString archive; // the archive that holds it; empty for a plain file
    QString member; // its name inside that archive
    int occurrence = 0; // how many members of that name came before it in the archive
    QByteArray description; // line 1, without its line end
    std::optional<ScanHeader> header; // line 2, when it has the header's layout
    int32_t numPoints = 0;
    std::vector<float> points; // x, reading, flag of each point, as getdata stores them
    int32_t numComments = 0;
    QByteArray comments; // numComments slots of 96 bytes, as getdata fills them

    // What the run window has done to it; nothing is written until saved.
    uint64_t id = 0; // stays with the scan while the run is open; 0 until given
    bool edited = false; // flags changed since it was read
    int column = 0; // k for the k-th sample column split from a scan (1 at the lowest radius)
    std::vector<int32_t> removedByRange; // the points (0-based) the range last applied removed
    // A sample column split from a whole scan: its meniscus and bottom as
    // found before the split, when they were; the split scan no longer
    // holds the artifacts that tell them.
    std::optional<RadiusRange> carried;

    // Point i, 0-based.
    float x(int i) const { return points[size_t(3 * i)]; }
    float reading(int i) const { return points[size_t(3 * i + 1)]; }
    float flag(int i) const { return points[size_t(3 * i + 2)]; }
};

// A file named or found that gave no scan, and why.
struct ReadFailure {
    QString path;
    QString reason;
};

struct Run {
    QString title; // the folder's or archive's name; for several paths, the first one's
    std::vector<Scan> scans;
    std::vector<ReadFailure> failures;
    // Every file the run was read from (scan files and archives), as whole
    // paths: never written over, whatever is done to their scans since.
    QStringList sources;
    bool cancelled = false;
};
