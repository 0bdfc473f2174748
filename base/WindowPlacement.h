// SPDX-License-Identifier: GPL-3.0-or-later
// Top-level windows are sized and placed by their outer rectangle, the
// window manager's frame included, and kept inside the screen's free area.
// The frame is known only once a window is mapped: a window is placed first
// with the frame seen on the windows before it, and placed again on its
// first exposure when its own frame differs.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

// The outer rectangle moved and, where it must, shrunk to lie inside
// `available`.
QRect FitInside(const QRect &outer, const QRect &available);

// `outerFor` gives the wanted outer rectangle for a frame of the given
// margins; the window's inner size and position follow from it, inside
// `available` (the screen's free area; empty: no limit). A window of fixed
// size keeps its size and is only moved.
void PlaceByFrame(
    QWidget &window, const QRect &available, std::function<QRect(const QMargins &frame)> outerFor);

// The frame seen last, (0, 0, 0, 0) before any window was mapped.
QMargins LastFrameMargins();
