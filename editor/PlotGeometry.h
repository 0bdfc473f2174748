// SPDX-License-Identifier: GPL-3.0-or-later
// The plot of the Plotwork window as plain values: axis ends and scales from
// tkrnd2, tick positions, label texts and where they go, title sizes, marker
// positions. ComputePlotGeometry does all the arithmetic of one paint;
// RenderPlot (PlotRender.h) only draws the result, on the window, on an image
// or on a printer. Everything placed here is in plot units (PlotMap.h);
// fonts carry pixel sizes for a surface of `pixels`.
#pragma once

#include "editor/PlotConstants.h"
#include "editor/PlotMap.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <vector>

class NumLib;
struct PlotSession;

// What a paint needs to know about where it draws.
struct PlotSetup {
    QSizeF pixels { 580, 580 }; // PixelWidth x PixelHeight of the drawing surface
    double outerTwips = 9990; // M: the smaller outer dimension of the window, in twips
    double dpi = 96; // logical dots per inch, to turn points into pixels
    float markerScale = PlotConstants::MarkerScale;
    float titleFontRatio = PlotConstants::TitleFontRatio;
    float sideFontRatio = PlotConstants::SideFontRatio;
};

// One axis of one paint.
struct AxisLayout {
    float start = 0.0f; // data value at the left (bottom) edge of the box
    float end = 1.0f; // data value at the right (top) edge
    float scale = 100.0f; // plot units per data unit
    int ticks = 2; // tick positions, both ends included
    double step = 1.0; // data step between neighbouring tick positions
    QString exponent; // "+00", "+02", "-03", ...
    double divisor = 1.0;
    QString suffix; // "" or " (10^-03)" with the axis' own lead blanks
    bool identical = false; // the range was one value: the paint warns
};

struct PlotText {
    QString text;
    QPointF topLeft; // for the vertical title: the start of the line, on the
                     // letters' top side
};

struct PlotGeometry {
    PlotSetup setup;
    SurfaceMap surface;
    AxisLayout x;
    AxisLayout y;
    PlotMap map;
    float markerBase = PlotConstants::MarkerBase;
    float markerRadius
        = PlotConstants::MarkerBase * PlotConstants::MarkerScale; // also the hit radius

    int titlePoints = 0; // after the shrink for long titles
    int labelPoints = 0;
    int sidePixels = 0; // cell height of the rotated font
    QFont titleFont;
    QFont labelFont;
    QFont sideFont;

    std::vector<double> xTicks; // interior tick positions, plot units
    std::vector<double> yTicks;
    std::vector<PlotText> xLabels;
    std::vector<PlotText> yLabels;
    PlotText xTitle;
    PlotText title;
    PlotText subtitle;
    PlotText yTitle; // drawn rotated, reading upwards from topLeft
    double yTitleLength = 0; // plot y-units

    QColor goodColour;
    QColor deletedColour;
    std::vector<QPointF> goodMarkers; // plot units
    std::vector<QPointF> deletedMarkers;
};

// The exponent text of an axis from start a to end b: the end nearer to zero
// (a on a tie; the other end when one is 0) as "+0.00E+00;-0.00E+00" from its
// 7th character, with "+01" and "-01" taken as "+00".
QString AxisExponent(float a, float b);

// Steps 6 and 7 of a paint for one axis: the tidy axis from tkrnd2, or the
// widened range when min = max (written back into min and max, except for
// 0), the exponent, divisor and title suffix (`titleGap` blanks before it).
AxisLayout LayoutAxis(NumLib &numlib, float &min, float &max, int titleGap);

// A whole paint: both axes (may widen the shared plot range), scales, ticks,
// labels, titles, fonts and the markers of the points shown.
PlotGeometry ComputePlotGeometry(PlotSession &session, NumLib &numlib, const PlotSetup &setup);

// The markers of `g` again from the session's flags: the points shown, good
// (flag > 0) or removed, in plot units.
void PlaceMarkers(PlotGeometry &g, const PlotSession &session);

// Whether the point (x, y) is shown: inside the axes or on their ends. A
// point on the plot box's edge is data the user must see and click; only a
// zoom hides points, those beyond its axes.
bool ShowsPoint(const PlotGeometry &g, float x, float y);

// A font of the plot: "Times New Roman", bold, at `pixelSize`.
QFont PlotFont(int pixelSize);

// Whole number to the nearest, halves to the even neighbour.
int RoundEven(double value);
