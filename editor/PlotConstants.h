// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed numbers of the plot's look and of its hit test, each in one
// place. The plot-unit extent of the drawing surface is SurfaceMap's.
#pragma once

namespace PlotConstants
{
// Title font points, and rotated-font pixels, per twip of the window's
// smaller outer dimension; label font points per twip of the same.
inline constexpr float TitleFontRatio = 0.0014f;
inline constexpr float SideFontRatio = 0.0024f;
inline constexpr double LabelFontRatio = 0.0012;

// Marker radius = MarkerBase x MarkerScale plot units, also the hit radius.
inline constexpr float MarkerScale = 1.5f;
inline constexpr float MarkerBase = 0.65f;
} // namespace PlotConstants
