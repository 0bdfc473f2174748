// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/EditHistory.h"

#include "editor/PlotInteraction.h"

#include <algorithm>
#include <utility>

namespace
{

int pointCount(const PlotSession &session)
{
    return std::clamp<int>(session.PlotCount, 0, PlotCapacity);
}

} // namespace

PlotRangeValues RangeOf(const PlotSession &session)
{
    return { session.PlotXMin, session.PlotXMax, session.PlotYMin, session.PlotYMax };
}

void SetRange(PlotSession &session, const PlotRangeValues &range)
{
    session.PlotXMin = range.xMin;
    session.PlotXMax = range.xMax;
    session.PlotYMin = range.yMin;
    session.PlotYMax = range.yMax;
}

void EditHistory::push(Step step)
{
    m_undo.push_back(std::move(step));
    m_redo.clear();
}

void EditHistory::touch(const Step &step)
{
    m_touched.clear();
    for (const FlagEdit &edit : step.flags)
        m_touched.push_back(edit.index);
}

bool EditHistory::editPoint(PlotSession &session, int i, FlagChange change)
{
    const float before = session.PlotFlag(i);
    ChangeFlag(session, i, change);
    const float after = session.PlotFlag(i);
    m_touched.clear();
    if (after == before)
        return false;
    Step step;
    step.kind = StepKind::Flags;
    step.flags.push_back({ i, before, after });
    touch(step);
    push(std::move(step));
    return true;
}

bool EditHistory::editSide(PlotSession &session, float xc, bool left, FlagChange change)
{
    // The scan visits a run from one end; a copy of the flags finds what it
    // changed without knowing how far it went.
    const auto before = session.PlotFlag;
    m_touched.clear();
    if (!ChangeSide(session, xc, left, change))
        return false;
    Step step;
    step.kind = StepKind::Flags;
    const int count = pointCount(session);
    for (int i = 1; i <= count; ++i) {
        if (session.PlotFlag(i) != before(i))
            step.flags.push_back({ i, before(i), session.PlotFlag(i) });
    }
    touch(step);
    if (!step.flags.empty())
        push(std::move(step));
    return true;
}

bool EditHistory::editPoints(
    PlotSession &session, const std::vector<int> &points, FlagChange change)
{
    m_touched.clear();
    const int count = pointCount(session);
    Step step;
    step.kind = StepKind::Flags;
    for (int i : points) {
        if (i < 1 || i > count)
            continue;
        const float before = session.PlotFlag(i);
        ChangeFlag(session, i, change);
        if (session.PlotFlag(i) != before)
            step.flags.push_back({ i, before, session.PlotFlag(i) });
    }
    // As a side removal, this never takes every good point.
    const auto goodLeft = [&] {
        for (int i = 1; i <= count; ++i) {
            if (session.PlotFlag(i) > 0.0f)
                return true;
        }
        return false;
    };
    if (change == FlagChange::Remove && !step.flags.empty() && !goodLeft()) {
        for (const FlagEdit &edit : step.flags)
            session.PlotFlag(edit.index) = edit.before;
        return false;
    }
    touch(step);
    if (!step.flags.empty())
        push(std::move(step));
    return true;
}

void EditHistory::rangeStep(PlotSession &session, ZoomState before)
{
    ZoomState after { RangeOf(session), m_trail };
    if (after.range == before.range && after.trail == before.trail)
        return;
    Step step;
    step.kind = StepKind::Range;
    step.before = std::move(before);
    step.after = std::move(after);
    push(std::move(step));
}

ZoomOutcome EditHistory::zoomInto(PlotSession &session, const DataBox &box)
{
    ZoomState before { RangeOf(session), m_trail };
    const ZoomOutcome outcome = ZoomInto(session, box);
    if (outcome == ZoomOutcome::Zoomed) {
        m_trail.push_back(before.range);
        rangeStep(session, std::move(before));
    }
    return outcome;
}

void EditHistory::zoomOut(PlotSession &session)
{
    ZoomState before { RangeOf(session), m_trail };
    PlotRange(session);
    m_trail.clear();
    rangeStep(session, std::move(before));
}

bool EditHistory::zoomBack(PlotSession &session)
{
    if (m_trail.empty())
        return false;
    ZoomState before { RangeOf(session), m_trail };
    SetRange(session, m_trail.back());
    m_trail.pop_back();
    rangeStep(session, std::move(before));
    return true;
}

EditHistory::StepKind EditHistory::undo(PlotSession &session)
{
    if (m_undo.empty())
        return StepKind::None;
    Step step = std::move(m_undo.back());
    m_undo.pop_back();
    if (step.kind == StepKind::Flags) {
        for (const FlagEdit &edit : step.flags)
            session.PlotFlag(edit.index) = edit.before;
    } else {
        SetRange(session, step.before.range);
        m_trail = step.before.trail;
    }
    touch(step);
    const StepKind kind = step.kind;
    m_redo.push_back(std::move(step));
    return kind;
}

EditHistory::StepKind EditHistory::redo(PlotSession &session)
{
    if (m_redo.empty())
        return StepKind::None;
    Step step = std::move(m_redo.back());
    m_redo.pop_back();
    if (step.kind == StepKind::Flags) {
        for (const FlagEdit &edit : step.flags)
            session.PlotFlag(edit.index) = edit.after;
    } else {
        SetRange(session, step.after.range);
        m_trail = step.after.trail;
    }
    touch(step);
    const StepKind kind = step.kind;
    m_undo.push_back(std::move(step));
    return kind;
}

int ChangedPoints(const PlotSession &session, const decltype(PlotSession::PlotFlag) &original)
{
    int changed = 0;
    const int count = pointCount(session);
    for (int i = 1; i <= count; ++i)
        changed += session.PlotFlag(i) != original(i) ? 1 : 0;
    return changed;
}
