// The plot range of the editor: the full extent of the points, and zooming
// into a box dragged over the plot.
#pragma once

#include "shell/ProgramState.h"

// Sets PlotXMin..PlotYMax to the extent of entries 1..count of x and y,
// removed points included; with count below 1, to the first entry alone.
void PlotRange(ProgramState &state, const OneBased<float, PlotCapacity> &x,
    const OneBased<float, PlotCapacity> &y, int count);
