// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the real editor in tests: a data set of chosen points in the
// program state, the Plotwork window run through the scripted platform, and
// mouse events sent to its plot at positions in plot units.
#pragma once

#include "editor/PlotCanvas.h"
#include "editor/PlotWindow.h"
#include "editor/Plotwork.h"
#include "support/Harness.h"

#include <QEvent>
#include <QPointF>

#include <functional>
#include <vector>

struct TestPoint {
    float x;
    float conc;
    float flag = 100.0f;
};

// Eight points x = y = 1..8: both axes run from 1 to 9, 12.5 plot units per
// data unit, so point i lies at plot position diagonalPosition(i) =
// (12.5 (i - 1), 12.5 (i - 1)).
std::vector<TestPoint> diagonalPoints(float flag = 100.0f);
QPointF diagonalPosition(int i);

// The editor's flags, points 1..PlotCount.
std::vector<float> sessionFlags(const PlotSession &session);

// Makes `points` the data set (NumPts, DataPts, first and last good point).
void setDataSet(ProgramState &state, const std::vector<TestPoint> &points);

// Runs Edit > Data (graphically) with `inside` acting on the open window
// once it has been shown and painted; the window is closed by its close box
// afterwards unless `inside` closed it.
void runEditor(Harness &h, const std::function<void(PlotWindow &)> &inside);

// Sends a mouse event to the canvas at plot position `plot`; for a move,
// `button` is the button held (Qt::NoButton for none).
void sendMouse(PlotWindow &window, QEvent::Type type, QPointF plot,
    Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {});
void clickAt(PlotWindow &window, QPointF plot, Qt::MouseButton button = Qt::LeftButton,
    Qt::KeyboardModifiers modifiers = {});
// Press at `from`, move halfway and to `to`, release there.
void dragBox(PlotWindow &window, QPointF from, QPointF to);

// Plot position of point i, as the window last drew it: of the editor's own
// copy, or of the state's plot arrays (the same x and y).
QPointF plotPositionOf(const PlotWindow &window, int i);
QPointF plotPositionOf(const PlotWindow &window, const ProgramState &state, int i);

// The colour of the hollow marker drawn around plot position `plot` in the
// window's picture: of the pixels on its circle, the one that differs most
// from the plot box's white (antialiasing blends the others with it).
QColor markerColourAt(const PlotWindow &window, const QImage &image, QPointF plot);
// True when `a` and `b` differ by at most `tolerance` in each component.
bool nearColour(const QColor &a, const QColor &b, int tolerance = 64);
// Of the pixels on the circle of `radius` pixels around plot position `plot`
// in `image`, the colour nearest to `wanted` (the sum of the differences).
QColor colourOnCircleNearest(const PlotWindow &window, const QImage &image, QPointF plot,
    double radius, const QColor &wanted);
