// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PointEditing.h"

#include "core/PlotSession.h"
#include "editor/PlotMap.h"

#include <algorithm>
#include <cmath>

namespace
{

int pointCount(const PlotSession &session)
{
    return std::clamp<int>(session.PlotCount, 0, PlotCapacity);
}

} // namespace

int PointAtCursor(const PlotSession &session, const PlotMap &map, float X, float Y, float radius)
{
    // Every point within reach is a candidate, however many there are; the
    // nearest wins, and only a strictly nearer one replaces it.
    int chosen = 0;
    float nearest = 0.0f;
    const int count = pointCount(session);
    for (int i = 1; i <= count; ++i) {
        const float dx = map.toPlotX(session.PlotX(i)) - X;
        const float dy = map.toPlotY(session.PlotY(i)) - Y;
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

void ChangeFlag(PlotSession &session, int i, FlagChange change)
{
    float &flag = session.PlotFlag(i);
    if (flag == 0.0f)
        return;
    flag = change == FlagChange::Remove ? -std::fabs(flag) : std::fabs(flag);
}

bool ChangeSide(PlotSession &session, float xc, bool left, FlagChange change)
{
    const int count = pointCount(session);
    if (count == 0)
        return true;
    if (change == FlagChange::Remove
        && (left ? xc >= session.PlotX(count) : xc <= session.PlotX(1)))
        return false;
    if (left) {
        for (int i = 1; i <= count && session.PlotX(i) <= xc; ++i)
            ChangeFlag(session, i, change);
    } else {
        for (int i = count; i >= 1 && session.PlotX(i) >= xc; --i)
            ChangeFlag(session, i, change);
    }
    return true;
}
