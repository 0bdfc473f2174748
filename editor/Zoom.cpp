#include "editor/Zoom.h"

#include <algorithm>

void PlotRange(ProgramState &state, const OneBased<float, PlotCapacity> &x,
    const OneBased<float, PlotCapacity> &y, int count)
{
    state.PlotXMin = state.PlotXMax = x(1);
    state.PlotYMin = state.PlotYMax = y(1);
    for (int i = 1; i <= std::min(count, PlotCapacity); ++i) {
        if (x(i) > state.PlotXMax)
            state.PlotXMax = x(i);
        if (x(i) < state.PlotXMin)
            state.PlotXMin = x(i);
        if (y(i) > state.PlotYMax)
            state.PlotYMax = y(i);
        if (y(i) < state.PlotYMin)
            state.PlotYMin = y(i);
    }
}
