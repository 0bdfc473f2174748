// SPDX-License-Identifier: GPL-3.0-or-later
// The lines of a data file as the program writes them: the working file's
// and the saved data set's point lines, and the bytes of a saved data set,
// shared by the data set's saves and a run's saved scans.
#pragma once

#include <QByteArray>

class NumberPattern;

// Appends the point line without its line end: `lead`, then x in
// `xPattern`, three blanks, conc, `flagGap` blanks, flag; trailing blanks
// removed.
void AppendPointLine(QByteArray &out, const char *lead, double x, const NumberPattern &xPattern,
    float conc, float flag, int flagGap);

// The bytes of a saved data set: `numComments` comment slots of 96
// characters, then points `first`..`last` (1-based) of `points`, which holds
// x, concentration and flag of each point in turn.
QByteArray EditedDataText(
    const char *comments, int numComments, const float *points, int first, int last, bool Radius);
