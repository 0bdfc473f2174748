#include "editor/Zoom.h"

#include "editor/PlotFormState.h"

#include <algorithm>
#include <utility>

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

ZoomOutcome ZoomIn(ProgramState &state, const PlotFormState &form)
{
    float xa = form.BoxX1 / form.XScale + form.XAxisStart;
    float ya = form.BoxY1 / form.YScale + form.YAxisStart;
    float xb = form.BoxX2 / form.XScale + form.XAxisStart;
    float yb = form.BoxY2 / form.YScale + form.YAxisStart;
    if (xa == xb || ya == yb)
        return ZoomOutcome::NoBox;
    if (xa > xb)
        std::swap(xa, xb);
    if (ya > yb)
        std::swap(ya, yb);
    const float xMargin = 0.01f * (form.XAxisEnd - form.XAxisStart);
    const float yMargin = 0.01f * (form.YAxisEnd - form.YAxisStart);
    if (xa < form.XAxisStart)
        xa = form.XAxisStart + xMargin;
    if (xb > form.XAxisEnd)
        xb = form.XAxisEnd - xMargin;
    if (ya < form.YAxisStart)
        ya = form.YAxisStart + yMargin;
    if (yb > form.YAxisEnd)
        yb = form.YAxisEnd - yMargin;

    int inside = 0;
    const int count = std::clamp<int>(state.PlotCount, 0, PlotCapacity);
    for (int i = 1; i <= count && inside < 2; ++i) {
        const float x = state.PlotX(i);
        const float y = state.PlotY(i);
        // On the edge counts; a value that is not a number lies nowhere.
        if (x >= xa && x <= xb && y >= ya && y <= yb)
            ++inside;
    }
    if (inside == 0)
        return ZoomOutcome::NoPoints;
    if (inside == 1)
        return ZoomOutcome::SinglePoint;
    state.PlotXMin = xa;
    state.PlotXMax = xb;
    state.PlotYMin = ya;
    state.PlotYMax = yb;
    return ZoomOutcome::Zoomed;
}
