// SPDX-License-Identifier: GPL-3.0-or-later
// The editing history of one Plotwork session: every change of flags (one
// point, the points to one side of the cursor, or a chosen set such as the
// suggested bad points) and every change of the
// plot range (zoom in, zoom out, one zoom step back) is a step that can be
// undone and redone. Beside it the zoom trail: the ranges before each zoom
// in, so that one zoom can be taken back without going all the way out.
//
// The history edits the session it is given and keeps nothing of it but
// what the steps changed; it ends with the window that owns it.
#pragma once

#include "core/PlotSession.h"
#include "editor/PointEditing.h"
#include "editor/Zoom.h"

#include <vector>

struct DataBox;

// PlotXMin, PlotXMax, PlotYMin, PlotYMax.
struct PlotRangeValues {
    float xMin = 0.0f;
    float xMax = 0.0f;
    float yMin = 0.0f;
    float yMax = 0.0f;
    bool operator==(const PlotRangeValues &) const = default;
};

PlotRangeValues RangeOf(const PlotSession &session);
void SetRange(PlotSession &session, const PlotRangeValues &range);

// One point whose flag a step changed.
struct FlagEdit {
    int index = 0;
    float before = 0.0f;
    float after = 0.0f;
};

class EditHistory
{
public:
    enum class StepKind { None, Flags, Range };

    // Point i removed or restored as one step; false when its flag stayed.
    bool editPoint(PlotSession &session, int i, FlagChange change);
    // ChangeSide as one step (none when no flag changed); false when the
    // removal was refused.
    bool editSide(PlotSession &session, float xc, bool left, FlagChange change);
    // Points `points` removed or restored as one step (none when no flag
    // changed); false when the removal was refused because no good point
    // would be left.
    bool editPoints(PlotSession &session, const std::vector<int> &points, FlagChange change);

    // ZoomInto; a zoom that is made is a step, and its old range goes on the
    // zoom trail.
    ZoomOutcome zoomInto(PlotSession &session, const DataBox &box);
    // The full extent (PlotRange), with an empty trail.
    void zoomOut(PlotSession &session);
    // Back to the range before the last zoom in; false when there is none.
    bool zoomBack(PlotSession &session);
    // Whether the view is zoomed in: there is a range to go back to.
    bool zoomedIn() const { return !m_trail.empty(); }

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // Takes back (or makes again) the last step; None when there was none.
    StepKind undo(PlotSession &session);
    StepKind redo(PlotSession &session);
    int undoDepth() const { return int(m_undo.size()); }
    // The points whose flags the last edit, undo or redo changed.
    const std::vector<int> &touched() const { return m_touched; }

private:
    struct ZoomState {
        PlotRangeValues range;
        std::vector<PlotRangeValues> trail;
    };
    struct Step {
        StepKind kind = StepKind::None;
        std::vector<FlagEdit> flags;
        ZoomState before;
        ZoomState after;
    };

    void push(Step step);
    void touch(const Step &step);
    void rangeStep(PlotSession &session, ZoomState before);

    std::vector<Step> m_undo;
    std::vector<Step> m_redo;
    std::vector<PlotRangeValues> m_trail;
    std::vector<int> m_touched;
};

// How many of points 1..PlotCount have a flag other than in `original`.
int ChangedPoints(const PlotSession &session, const decltype(PlotSession::PlotFlag) &original);
