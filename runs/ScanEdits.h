// SPDX-License-Identifier: GPL-3.0-or-later
// Edits of one scan of a run, as the plot editor makes them on a data set:
// a removed point keeps its place with -|flag|, a restored one gets |flag|
// back, so a weight or deviation survives any number of both.
#pragma once

#include "core/Suggestions.h"
#include "runs/Run.h"

enum class RangeOutcome { Changed, Unchanged, NoPointInside };

// Keeps [range.from, range.to]: the points before it are removed counting
// from the first point and those after it counting from the last, each
// side stopping at its first point inside, as the editor's removal to the
// left and right does. The points an earlier range removed that lie inside
// this one are restored, so a wider range brings them back; points removed
// in any other way stay removed. A range holding no point would remove all
// data: refused, and nothing changes.
RangeOutcome ApplyRange(Scan &scan, const RadiusRange &range);

// Removes the points the editor's detector suggests; returns what it
// found, by kind.
Suggestions RemoveSuggested(Scan &scan, const SuggestSettings &settings = {});

// The first and last good point (1-based), as loading a data set finds
// them: 1 and the point count when there is none.
std::pair<int, int> FirstLastGood(const Scan &scan);
