// SPDX-License-Identifier: GPL-3.0-or-later
// The solution columns of a run's settings in a small CSV file, so that a
// column set by hand (and the ones found) can be kept and used again: by
// the run window and by the report and the export on the command line.
//
//   cell,column,type,wavelength_nm,speed_rpm,meniscus_cm,bottom_cm,inner_cm,outer_cm,by_hand
//   1,0,R,280-281,16000,6.80825,7.11865,6.82825,7.08865,no
//
// A row per setting that has a column; `column` is the split sample column
// (0 for whole scans), `wavelength_nm` the setting's band ("280" or
// "280-281"), `by_hand` yes or no. Every row read is a column set for the
// settings it matches.
#pragma once

#include "runs/ColumnLimits.h"
#include "runs/RunAnalysis.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

// The header row and a row per group with a column, each ending in LF.
QByteArray LimitsCsv(const RunAnalysis &analysis);

struct LimitsRead {
    std::vector<ColumnLimits> limits; // the rows read, in file order
    std::vector<int> lines; // the 1-based line of each
    QStringList errors; // "line 3: ..." for each row that could not be read
    std::vector<int> errorLines; // the line of each error
    // Why the file as a whole is no limits file (no header row, a column
    // missing from it); then nothing else is read.
    QString failure;
};
// Lines end in LF or CR LF; the first line that is not blank is the header,
// naming the columns above in any order (others are passed over); blank
// lines are skipped; a byte order mark and quotes around a field are
// taken off. A row needs every field readable and meniscus < inner < outer
// < bottom.
LimitsRead ReadLimitsCsv(const QByteArray &bytes);

// The 1-based lines of `read` that match no group of `groups`.
std::vector<int> UnmatchedLines(const LimitsRead &read, const RunGroups &groups);
