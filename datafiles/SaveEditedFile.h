// SPDX-License-Identifier: GPL-3.0-or-later
// Save > Complete / Truncated, each with x as stored or as R^2/2: writes the
// edited data set as a new data file that the parser reads back.
#pragma once

#include <QByteArray>

struct AppContext;
struct ProgramState;

// Asks for a file name and writes the data set there. `Complete` writes
// every point, removed ones included; otherwise the points from the first to
// the last good one. `Radius` writes x as stored; otherwise x*x/2. The file
// is replaced as ReplaceFileContents does; on failure the user is told why.
void SaveEditedFile(AppContext &app, bool Complete, bool Radius);

// The bytes SaveEditedFile writes.
QByteArray EditedFileText(const ProgramState &state, bool Complete, bool Radius);
