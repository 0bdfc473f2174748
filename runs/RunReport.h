// SPDX-License-Identifier: GPL-3.0-or-later
// The run's table: one row per scan, the same columns in the window and in
// `kelvane --report`, so that the two agree value for value. Numbers are
// written with the fewest digits that read back as the same double.
#pragma once

#include "runs/RunAnalysis.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <variant>

enum class ReportColumn {
    File,
    Description,
    Type,
    Cell,
    Wavelength,
    Speed,
    Temperature,
    Time,
    Omega2t,
    Points,
    Group,
    EqScore,
    EqTrend,
    EqOffset,
    EqPoints,
    EqReached,
    EqSince,
    Sigma,
    BuoyantMass,
    Mass,
    FitPoints,
    FitRms,
    MassSe,
    Baseline,
    MeniscusCm,
    BottomCm,
    InnerCm,
    OuterCm,
};
constexpr int ReportColumnCount = int(ReportColumn::OuterCm) + 1;

// "file", "description", ... as the header row names them.
const char *ReportColumnName(ReportColumn column);

// Empty where a value does not apply; text is single-byte, as in the files.
using ReportValue = std::variant<std::monostate, QByteArray, int64_t, double>;

// The value of a column of a scan's row; a number that is not finite is
// empty, as a value that does not apply.
ReportValue ReportCell(const Run &run, const RunAnalysis &analysis, int scan, ReportColumn column);

// A value as the report writes it: a number in the shortest form that reads
// back the same, text quoted when it holds a comma, a quote or a line end.
QByteArray ReportText(const ReportValue &value);

// A value held in single precision (a radius or reading as read) in the
// shortest form that reads back as the same float: 6.1, not 6.0999999.
QByteArray FloatText(double value);

// The header row and a row per scan, each ending in LF.
QByteArray RunReportCsv(const Run &run, const RunAnalysis &analysis);
