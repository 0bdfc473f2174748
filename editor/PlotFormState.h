// The window-level state of the Plotwork window: what it keeps between
// events for as long as it is open. The axis values are written by every
// paint and read by the mouse handlers to turn plot units into data values.
#pragma once

#include <cstdint>

struct PlotFormState {
    bool XYShown = true; // the (X,Y) read-out strip is visible
    int16_t EditMode
        = 1; // 1 zoom, 2 remove point, 3 remove to a side, 4 restore point, 5 restore to a side
    float XAxisStart = 0.0f; // data values at the edges of the plot box, as last drawn
    float XAxisEnd = 0.0f;
    float YAxisStart = 0.0f;
    float YAxisEnd = 0.0f;
    float XScale = 0.0f; // plot units per data unit
    float YScale = 0.0f;
    float PixelWidth = 0.0f; // size of the drawing surface
    float PixelHeight = 0.0f;
    float MarkerScale = 1.5f;
    float MarkerBase = 0.65f;
    float TitleFontRatio = 0.0014f; // title points per twip of the smaller outer dimension
    float SideFontRatio = 0.0024f; // rotated-font pixels per twip of the same

    // The zoom box: anchor corner (button down) and moving corner, plot units.
    bool BoxDragging = false;
    bool BoxFresh = true; // not drawn yet since the button went down
    float BoxX1 = 0.0f;
    float BoxY1 = 0.0f;
    float BoxX2 = 0.0f;
    float BoxY2 = 0.0f;

    // Hit radius of a click and drawn radius of a marker, plot units.
    float markerRadius() const { return MarkerScale * MarkerBase; }
};
