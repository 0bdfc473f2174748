// The plot range of the editor: the full extent of the points, and zooming
// into a box dragged over the plot. Zooming changes the range only, never a
// flag.
#pragma once

#include "shell/ProgramState.h"

struct PlotFormState;

// Sets PlotXMin..PlotYMax to the extent of entries 1..count of x and y,
// removed points included; with count below 1, to the first entry alone.
void PlotRange(ProgramState &state, const OneBased<float, PlotCapacity> &x,
    const OneBased<float, PlotCapacity> &y, int count);

enum class ZoomOutcome {
    Zoomed, // the range is the box
    NoPoints, // no point in the box: the range is unchanged
    SinglePoint, // one point in the box: the range is unchanged
    NoBox, // the box has no width or height in data values: nothing happens
};

// Zooms into the box with corners (BoxX1, BoxY1) and (BoxX2, BoxY2) of
// `form` (plot units, either way round), kept 1 % of the axis span inside the
// axes as last drawn. It zooms when the closed box holds at least two points,
// removed or not.
ZoomOutcome ZoomIn(ProgramState &state, const PlotFormState &form);
