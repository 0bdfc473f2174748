// SPDX-License-Identifier: GPL-3.0-or-later
// `kelvane --fit`: one ideal species fitted to each cell of a run at once,
// without a display. For every cell (or sample column split from a cell's
// scans) the chosen scans of its settings at equilibrium share one buoyant
// mass, each with its own amplitude and baseline; one CSV row per scan
// fitted, the cell's values repeated on each of its rows.
#pragma once

#include "runs/IdealFit.h"
#include "runs/RunAnalysis.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// Which scans of a setting at equilibrium a cell's fit takes.
enum class FitScans {
    Last, // its last scan, what a fitting program is given
    Since, // every scan from its since scan to its last
};

constexpr double FitWavelengthMatch = 3.0; // nm

struct FitRequest {
    RunOptions options; // the range, ceiling, vbar and density
    QString limitsFile; // the columns set by hand, in place of the ones found
    // Only these cells, speeds (rpm) and wavelengths (nm, within 3 nm of a
    // setting's band); empty: all.
    std::vector<int> cells;
    std::vector<int> speeds;
    std::vector<double> wavelengths;
    FitScans scans = FitScans::Last;
    SpeciesOptions species; // the baseline fitted or held at 0
};

// The header row, with its LF.
QByteArray FitCsvHeader();

// "1" for a cell, "1-c2" for the second sample column split from its scans.
QByteArray FitCellName(int cell, int column);

// One cell's fit of a run as analysed.
struct CellOfRun {
    int cell = 0;
    int column = 0;
    std::vector<int> scans; // chosen, indices into Run::scans, in the order fitted
    SpeciesFit fit;
    QString problem; // why there is no fit: "no setting at equilibrium", ...
};

// The fit of every cell of `run` that the request's filters leave, in the
// order of the run's groups; a cell none of whose settings is left out by
// the filters is not among them.
std::vector<CellOfRun> FitCells(
    const Run &run, const RunAnalysis &analysis, const FitRequest &request);

// The rows of the cells fitted, each ending in LF, without the header.
QByteArray FitCsvRows(const Run &run, const RunAnalysis &analysis, const FitRequest &request,
    const std::vector<CellOfRun> &cells);

// Reads the run of `paths`, prints the header and a row per scan fitted,
// and names on standard error each file not read, each cell not fitted
// with the reason, and each --cell that matches no cell of the run.
// Returns the exit status: 0 when every file was read and every cell
// fitted, 2 otherwise.
int RunFitCommand(const QStringList &paths, const FitRequest &request);
