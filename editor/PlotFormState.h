// SPDX-License-Identifier: GPL-3.0-or-later
// The window-level state of the Plotwork window: what it keeps between
// events for as long as it is open. The axis values are written by every
// paint; the edit mode and the zoom box are PlotInteraction's.
#pragma once

#include "editor/PlotConstants.h"

struct PlotFormState {
    bool XYShown = true; // the (X,Y) read-out strip is visible
    float XAxisStart = 0.0f; // data values at the edges of the plot box, as last drawn
    float XAxisEnd = 0.0f;
    float YAxisStart = 0.0f;
    float YAxisEnd = 0.0f;
    float XScale = 0.0f; // plot units per data unit
    float YScale = 0.0f;
    float PixelWidth = 0.0f; // size of the drawing surface
    float PixelHeight = 0.0f;
    float MarkerScale = PlotConstants::MarkerScale;
    float MarkerBase = PlotConstants::MarkerBase;
    float TitleFontRatio = PlotConstants::TitleFontRatio;
    float SideFontRatio = PlotConstants::SideFontRatio;

    // Hit radius of a click and drawn radius of a marker, plot units.
    float markerRadius() const { return MarkerScale * MarkerBase; }
};
