// SPDX-License-Identifier: GPL-3.0-or-later
// Full-size data sets for the benchmarks: 2199 points, every 17th removed.
#pragma once

#include "editor/PlotGeometry.h"

struct ProgramState;

// In DataPts, with two comment lines.
void fillFullDataSet(ProgramState &state);

// In the editor's arrays, with titles, labels and the plot range.
void fillPlot(ProgramState &state);

// A plot surface of 1280 x 1024 pixels in a window of that size.
PlotSetup fullScreenSetup();
