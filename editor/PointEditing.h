// SPDX-License-Identifier: GPL-3.0-or-later
// Removing and restoring points of the editor's copy (PlotFlag) by a click:
// the point at the cursor, or every point to one side of it. Removal stores
// -|flag| and restoration |flag|, so a weight survives any number of both;
// a flag of 0 stays 0.
#pragma once

class PlotMap;
struct PlotSession;

// The point hit by a click at plot position (X, Y): of all points within
// `radius` plot units (on the circle counts), removed or not, inside the
// axes or not, the nearest by squared distance, the lower index on a tie.
// 0 when none is that close.
int PointAtCursor(const PlotSession &session, const PlotMap &map, float X, float Y, float radius);

enum class FlagChange { Remove, Restore };

void ChangeFlag(PlotSession &session, int i, FlagChange change);

// The points to the left (x <= xc, scanned from the first point) or to the
// right (x >= xc, scanned from the last), stopping at the first point on the
// other side. Removal is refused, and nothing changes, when it would take
// every point: to the left from at or beyond the last point's x, to the
// right from at or before the first's. Returns false when refused.
bool ChangeSide(PlotSession &session, float xc, bool left, FlagChange change);
