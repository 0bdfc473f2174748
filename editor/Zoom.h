// SPDX-License-Identifier: GPL-3.0-or-later
// The plot range of the editor: the full extent of the points, and zooming
// into a box dragged over the plot. Zooming changes the range only, never a
// flag.
#pragma once

struct DataBox;
struct PlotSession;

// Sets PlotXMin..PlotYMax to the extent of points 1..PlotCount, removed
// points included; with PlotCount below 1, to the first point alone.
void PlotRange(PlotSession &session);

enum class ZoomOutcome {
    Zoomed, // the range is the box
    NoPoints, // no point in the box: the range is unchanged
    SinglePoint, // one point in the box: the range is unchanged
};

// Makes `box` the plot range when the closed box holds at least two points,
// removed or not.
ZoomOutcome ZoomInto(PlotSession &session, const DataBox &box);
