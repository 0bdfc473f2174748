// SPDX-License-Identifier: GPL-3.0-or-later
// The program's arguments: "kelvane [FILE]", "kelvane --run PATH...",
// "kelvane --report [options] PATH...", "kelvane --export OUTDIR [options]
// PATH...", "kelvane --fit [options] PATH...", "--help" and "--version". Everything
// that needs no window (help, version, the report, a usage error) is
// answered before the application connects to a display, so it works
// without one.
#pragma once

#include "runs/FitCommand.h"
#include "runs/RunAnalysis.h"

#include <QString>
#include <QStringList>

#include <optional>

struct CommandLine {
    bool help = false;
    bool version = false;
    bool run = false; // --run: the paths open as a run
    bool report = false; // --report: the run's table on standard output
    std::optional<QString> exportFolder; // --export OUTDIR: the scans saved there
    std::optional<bool> complete; // --complete or --truncated
    bool xi = false; // --xi: x written as r²/2
    bool removeSuggested = false; // --remove-suggested
    bool splitChannels = false; // --split-channels
    std::optional<QString> limitsFile; // --limits FILE: the columns set by hand
    bool column = false; // --column: each scan cut to its setting's fit limits
    bool equilibrium = false; // --equilibrium: the last scan of each setting at equilibrium
    RunOptions options; // --from, --to, --trim, --ceiling, --vbar, --density
    bool fit = false; // --fit: one species fitted to each cell, as CSV on standard output
    std::vector<int> cells; // --cell N, each time given
    std::vector<int> speeds; // --speed RPM
    std::vector<double> wavelengths; // --wavelength NM
    std::optional<FitScans> fitScans; // --scans last|since
    bool noBaseline = false; // --no-baseline
    QStringList unknownOptions; // as given, e.g. "--frobnicate"
    QString usageError; // a known option used wrongly, e.g. "--from needs a number"
    QStringList files; // the paths; without --run or --report only the first is opened
};

// `arguments` without the program's name. "--" ends the options: what
// follows is a path even when it starts with "-". The toolkit's own options
// (-platform NAME, -style NAME, -geometry WxH, ...) are passed over here and
// left to the application.
CommandLine ParseCommandLine(const QStringList &arguments);

QString HelpText();
QString VersionText(); // "kelvane 0.999.28"

// The answer to a command line that needs no window: help or version
// (standard output, exit code 0), a usage error (standard error; exit code
// 1 for the report's, the export's and the fit's options, 2 otherwise), or
// the report, the export or the fit itself (exit code 0, or 2 when a file could not be read or
// written or the limits file not all used). Nothing when the program should
// start its windows.
std::optional<int> AnswerWithoutWindow(const CommandLine &line);
