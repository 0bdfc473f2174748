// SPDX-License-Identifier: GPL-3.0-or-later
// Multi-column scans: a six-channel centerpiece puts three sample columns in
// one scan, with septa between them. The columns are proposed from all the
// scans of one cell at one speed (the menisci move with the speed), and each
// scan is split into one scan per column.
//
// The proposal: within each scan, its sample columns as the solution
// column's finder sees them (each from its meniscus to where its base
// begins; air, septa and the stretches between a base and the next
// meniscus are none). The scans then vote: a radius belongs to a column
// where most of the scans that reach it have it inside one of theirs, so a
// column missed or a septum stretch taken in a few scans moves no
// boundary; each column voted runs from the median meniscus to the median
// bottom of the scans' columns across it.
#pragma once

#include "runs/Run.h"
#include "runs/SolutionColumn.h"

#include <QString>

#include <vector>

// The narrowest sample column proposed (cm).
constexpr double MinColumnWidth = 0.04;

// The sample columns of the scans of one cell at one speed, by rising
// radius: each from its meniscus to its bottom.
// Empty when the scans hold fewer than two columns: nothing to split.
// Null scans, points that are not good (flag at most 0) and readings or
// radii that are not finite are left out.
std::vector<RadiusRange> ProposeColumns(const std::vector<const Scan *> &scans);

// One scan per column, numbered from 1 at the lowest radius: the source's
// points with from <= x <= to in file order (the bounds rounded to floats,
// as the radii are read), its text and place, and its name (and the file
// name in path and shown) with "-c1", "-c2", ... before the extension (an
// empty one stays empty). A column that holds none of its points still
// gives a scan, with no points, so the numbers are the same for every scan
// of a setting. The new scans have no id (0) and no record of a range, and
// carry their column's range as their meniscus and bottom.
std::vector<Scan> SplitScan(const Scan &scan, const std::vector<RadiusRange> &columns);

// "00012.RA1" -> "00012-c2.RA1" for column 2: the last component of a path
// gets the suffix before its extension, or at its end when it has none; an
// empty path stays empty.
QString ColumnFileName(const QString &path, int column);
