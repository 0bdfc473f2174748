// SPDX-License-Identifier: GPL-3.0-or-later
// The working file "~kelvane.tmp": the edited data set written out as text
// after every command that changes it, for the Edited Data File view. It is
// never read back. Comment slots are written whole (96 characters), then one
// line per point:
//
//     "   " x "   " conc "   " flag        (trailing blanks removed, CR LF)
//
// with x as "0.00000", conc as " 0.00000E+00;-0.00000E+00" and the flag as
// " 0.000E+00;-0.000E+00". Get Blank writes two blanks before the flag.
#pragma once

#include <QByteArray>

#include <vector>

struct ProgramState;
class MainView;

enum class FlagGap { Three, Two };

// Steps 1 to 3 of the rewrite: WorkDir from the current directory, TmpPath
// (in WorkFilesDir when that is set, else in WorkDir), and an existing
// working file there deleted.
void LocateWorkFile(ProgramState &state);

// The folder the working files go in: WorkFilesDir when set, else WorkDir.
QString WorkFilesFolder(const ProgramState &state);

// Makes `folder` and the folders above it that are missing, for the user
// alone. Returns the system's reason when that fails, else an empty text.
QString MakeWorkFilesFolder(const QString &folder);

// Steps 4 to 7: writes TmpPath and shows the text in the Edited Data File
// view. The view always shows the data set; when the file cannot be
// written, the main window's notice says so and why.
void WriteWorkFile(ProgramState &state, MainView &view, FlagGap gap = FlagGap::Three);

// All seven steps.
void RewriteWorkFile(ProgramState &state, MainView &view, FlagGap gap = FlagGap::Three);

// The working file's bytes for the current data set.
QByteArray WorkFileText(const ProgramState &state, FlagGap gap = FlagGap::Three);

// The lines of the working file (0-based) that hold removed points: those
// whose flag is not above 0.
std::vector<int> RemovedPointLines(const ProgramState &state);
