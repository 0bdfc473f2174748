// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/Zoom.h"

#include "core/PlotSession.h"
#include "editor/PlotInteraction.h"

#include <algorithm>

void PlotRange(PlotSession &session)
{
    const auto &x = session.PlotX;
    const auto &y = session.PlotY;
    session.PlotXMin = session.PlotXMax = x(1);
    session.PlotYMin = session.PlotYMax = y(1);
    for (int i = 1; i <= std::min<int>(session.PlotCount, PlotCapacity); ++i) {
        if (x(i) > session.PlotXMax)
            session.PlotXMax = x(i);
        if (x(i) < session.PlotXMin)
            session.PlotXMin = x(i);
        if (y(i) > session.PlotYMax)
            session.PlotYMax = y(i);
        if (y(i) < session.PlotYMin)
            session.PlotYMin = y(i);
    }
}

ZoomOutcome ZoomInto(PlotSession &session, const DataBox &box)
{
    int inside = 0;
    const int count = std::clamp<int>(session.PlotCount, 0, PlotCapacity);
    for (int i = 1; i <= count && inside < 2; ++i) {
        const float x = session.PlotX(i);
        const float y = session.PlotY(i);
        // On the edge counts; a value that is not a number lies nowhere.
        if (x >= box.xa && x <= box.xb && y >= box.ya && y <= box.yb)
            ++inside;
    }
    if (inside == 0)
        return ZoomOutcome::NoPoints;
    if (inside == 1)
        return ZoomOutcome::SinglePoint;
    session.PlotXMin = box.xa;
    session.PlotXMax = box.xb;
    session.PlotYMin = box.ya;
    session.PlotYMax = box.yb;
    return ZoomOutcome::Zoomed;
}
