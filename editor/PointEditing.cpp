#include "editor/PointEditing.h"

#include "editor/PlotMap.h"
#include "shell/ProgramState.h"

#include <algorithm>
#include <cmath>

namespace
{

int pointCount(const ProgramState &state)
{
    return std::clamp<int>(state.PlotCount, 0, PlotCapacity);
}

} // namespace

int PointAtCursor(const ProgramState &state, const PlotMap &map, float X, float Y, float radius)
{
    // Every point within reach is a candidate, however many there are; the
    // nearest wins, and only a strictly nearer one replaces it.
    int chosen = 0;
    float nearest = 0.0f;
    const int count = pointCount(state);
    for (int i = 1; i <= count; ++i) {
        const float dx = map.toPlotX(state.PlotX(i)) - X;
        const float dy = map.toPlotY(state.PlotY(i)) - Y;
        const float squared = dx * dx + dy * dy;
        if (!(std::sqrt(dy * dy + dx * dx) <= radius))
            continue;
        if (chosen == 0 || squared < nearest) {
            chosen = i;
            nearest = squared;
        }
    }
    return chosen;
}

void ChangeFlag(ProgramState &state, int i, FlagChange change)
{
    float &flag = state.PlotFlag(i);
    if (flag == 0.0f)
        return;
    flag = change == FlagChange::Remove ? -std::fabs(flag) : std::fabs(flag);
}

bool ChangeSide(ProgramState &state, float xc, bool left, FlagChange change)
{
    const int count = pointCount(state);
    if (count == 0)
        return true;
    if (change == FlagChange::Remove && (left ? xc >= state.PlotX(count) : xc <= state.PlotX(1)))
        return false;
    if (left) {
        for (int i = 1; i <= count && state.PlotX(i) <= xc; ++i)
            ChangeFlag(state, i, change);
    } else {
        for (int i = count; i >= 1 && state.PlotX(i) >= xc; --i)
            ChangeFlag(state, i, change);
    }
    return true;
}
