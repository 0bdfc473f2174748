// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/EditHistory.h"

#include "core/PlotSession.h"
#include "editor/PlotInteraction.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

// Ten points x = y = 1..10, all good with weight 100.
std::unique_ptr<PlotSession> tenPoints()
{
    auto s = std::make_unique<PlotSession>();
    s->PlotCount = 10;
    for (int i = 1; i <= 10; ++i) {
        s->PlotX(i) = float(i);
        s->PlotY(i) = float(i);
        s->PlotFlag(i) = 100.0f;
    }
    PlotRange(*s);
    return s;
}

std::vector<float> flags(const PlotSession &s)
{
    std::vector<float> out;
    for (int i = 1; i <= s.PlotCount; ++i)
        out.push_back(s.PlotFlag(i));
    return out;
}

DataBox box(float xa, float xb)
{
    return { xa, xb, xa, xb };
}

const float G = 100.0f;
const float R = -100.0f;

} // namespace

TEST(EditHistory, UndoAndRedoWalkBackAndForthThroughFlagSteps)
{
    auto s = tenPoints();
    EditHistory h;
    EXPECT_FALSE(h.canUndo());
    EXPECT_EQ(h.undo(*s), EditHistory::StepKind::None);

    ASSERT_TRUE(h.editPoint(*s, 5, FlagChange::Remove));
    ASSERT_TRUE(h.editSide(*s, 2.5f, true, FlagChange::Remove)); // points 1 and 2
    EXPECT_EQ(h.touched(), (std::vector<int> { 1, 2 }));
    ASSERT_TRUE(h.editPoint(*s, 1, FlagChange::Restore));
    const std::vector<float> all = { G, R, G, G, R, G, G, G, G, G };
    EXPECT_EQ(flags(*s), all);
    EXPECT_EQ(h.undoDepth(), 3);

    EXPECT_EQ(h.undo(*s), EditHistory::StepKind::Flags);
    EXPECT_EQ(flags(*s), (std::vector<float> { R, R, G, G, R, G, G, G, G, G }));
    EXPECT_EQ(h.undo(*s), EditHistory::StepKind::Flags);
    EXPECT_EQ(h.touched(), (std::vector<int> { 1, 2 }));
    EXPECT_EQ(flags(*s), (std::vector<float> { G, G, G, G, R, G, G, G, G, G }));
    EXPECT_EQ(h.undo(*s), EditHistory::StepKind::Flags);
    EXPECT_EQ(flags(*s), std::vector<float>(10, G));
    EXPECT_EQ(h.undo(*s), EditHistory::StepKind::None);

    // Redo makes all three again, in order.
    while (h.redo(*s) != EditHistory::StepKind::None) { }
    EXPECT_EQ(flags(*s), all);

    // A new step after an undo drops what could have been redone.
    h.undo(*s);
    ASSERT_TRUE(h.editPoint(*s, 10, FlagChange::Remove));
    EXPECT_FALSE(h.canRedo());
    EXPECT_EQ(h.redo(*s), EditHistory::StepKind::None);
    EXPECT_EQ(flags(*s), (std::vector<float> { R, R, G, G, R, G, G, G, G, R }));
}

TEST(EditHistory, ClicksThatChangeNothingAreNoSteps)
{
    auto s = tenPoints();
    s->PlotFlag(4) = 0.0f;
    EditHistory h;
    EXPECT_FALSE(h.editPoint(*s, 3, FlagChange::Restore)); // already good
    EXPECT_FALSE(h.editPoint(*s, 4, FlagChange::Remove)); // a flag of 0 stays 0
    EXPECT_TRUE(h.editSide(*s, 0.5f, true, FlagChange::Remove)); // left of every point
    EXPECT_TRUE(h.touched().empty());
    // Refused: it would remove every point.
    EXPECT_FALSE(h.editSide(*s, 10.0f, true, FlagChange::Remove));
    EXPECT_FALSE(h.canUndo());
    EXPECT_EQ(flags(*s)[2], G);
}

TEST(EditHistory, ZoomStepsKeepATrailThatUndoRestores)
{
    auto s = tenPoints();
    const PlotRangeValues full = RangeOf(*s);
    EditHistory h;
    EXPECT_EQ(h.zoomInto(*s, box(4.2f, 4.8f)), ZoomOutcome::NoPoints);
    EXPECT_EQ(h.zoomInto(*s, box(4.9f, 5.1f)), ZoomOutcome::SinglePoint);
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.zoomedIn());

    ASSERT_EQ(h.zoomInto(*s, box(2.0f, 8.0f)), ZoomOutcome::Zoomed);
    ASSERT_EQ(h.zoomInto(*s, box(3.0f, 5.0f)), ZoomOutcome::Zoomed);
    EXPECT_EQ(RangeOf(*s), (PlotRangeValues { 3, 5, 3, 5 }));
    EXPECT_TRUE(h.zoomedIn());

    // One step back, then all the way out; the trail is empty then.
    EXPECT_TRUE(h.zoomBack(*s));
    EXPECT_EQ(RangeOf(*s), (PlotRangeValues { 2, 8, 2, 8 }));
    h.zoomOut(*s);
    EXPECT_EQ(RangeOf(*s), full);
    EXPECT_FALSE(h.zoomedIn());
    EXPECT_FALSE(h.zoomBack(*s));

    // Undo takes back the zoom out, with its trail: one step back works again.
    EXPECT_EQ(h.undo(*s), EditHistory::StepKind::Range);
    EXPECT_EQ(RangeOf(*s), (PlotRangeValues { 2, 8, 2, 8 }));
    EXPECT_TRUE(h.zoomedIn());
    EXPECT_EQ(h.undo(*s), EditHistory::StepKind::Range); // the step back
    EXPECT_EQ(RangeOf(*s), (PlotRangeValues { 3, 5, 3, 5 }));
    EXPECT_EQ(h.undo(*s), EditHistory::StepKind::Range);
    EXPECT_EQ(h.undo(*s), EditHistory::StepKind::Range);
    EXPECT_EQ(RangeOf(*s), full);
    EXPECT_FALSE(h.zoomedIn());
    EXPECT_EQ(h.redo(*s), EditHistory::StepKind::Range);
    EXPECT_EQ(RangeOf(*s), (PlotRangeValues { 2, 8, 2, 8 }));
    EXPECT_TRUE(h.zoomBack(*s));
    EXPECT_EQ(RangeOf(*s), full);

    // Zooming out at the full extent changes nothing and is no step.
    const int depth = h.undoDepth();
    h.zoomOut(*s);
    EXPECT_EQ(h.undoDepth(), depth);
}

TEST(EditHistory, FlagAndZoomStepsUndoInOneOrder)
{
    auto s = tenPoints();
    EditHistory h;
    h.editPoint(*s, 3, FlagChange::Remove);
    h.zoomInto(*s, box(2.0f, 8.0f));
    h.editPoint(*s, 4, FlagChange::Remove);
    EXPECT_EQ(h.undo(*s), EditHistory::StepKind::Flags);
    EXPECT_EQ(s->PlotFlag(4), G);
    EXPECT_EQ(h.undo(*s), EditHistory::StepKind::Range);
    EXPECT_EQ(s->PlotFlag(3), R);
    EXPECT_EQ(h.undo(*s), EditHistory::StepKind::Flags);
    EXPECT_EQ(s->PlotFlag(3), G);
}

TEST(EditHistory, ChangedPointsCountsFlagsThatDifferFromTheOpening)
{
    auto s = tenPoints();
    const auto opening = s->PlotFlag;
    EditHistory h;
    EXPECT_EQ(ChangedPoints(*s, opening), 0);
    h.editSide(*s, 3.0f, true, FlagChange::Remove);
    h.editPoint(*s, 9, FlagChange::Remove);
    EXPECT_EQ(ChangedPoints(*s, opening), 4);
    // Removed and restored again is no change.
    h.editPoint(*s, 9, FlagChange::Restore);
    EXPECT_EQ(ChangedPoints(*s, opening), 3);
    while (h.canUndo())
        h.undo(*s);
    EXPECT_EQ(ChangedPoints(*s, opening), 0);
}

TEST(EditHistory, ChosenPointsAreOneStepAndNeverTheLastGoodOnes)
{
    auto s = tenPoints();
    EditHistory h;
    ASSERT_TRUE(h.editPoint(*s, 9, FlagChange::Remove));
    // Point 9 is removed already and 0 and 11 are no points: only 2, 4 and 7
    // change, once each.
    ASSERT_TRUE(h.editPoints(*s, { 7, 2, 4, 9, 4, 0, 11 }, FlagChange::Remove));
    EXPECT_EQ(h.touched(), (std::vector<int> { 7, 2, 4 }));
    EXPECT_EQ(h.undoDepth(), 2);
    EXPECT_EQ(flags(*s), (std::vector<float> { G, R, G, R, G, G, R, G, R, G }));
    EXPECT_EQ(h.undo(*s), EditHistory::StepKind::Flags);
    EXPECT_EQ(flags(*s), (std::vector<float> { G, G, G, G, G, G, G, G, R, G }));
    EXPECT_EQ(h.redo(*s), EditHistory::StepKind::Flags);
    EXPECT_EQ(flags(*s), (std::vector<float> { G, R, G, R, G, G, R, G, R, G }));

    // Every good point left: refused, nothing changes; restoring them is fine.
    const std::vector<float> before = flags(*s);
    EXPECT_FALSE(h.editPoints(*s, { 1, 3, 5, 6, 8, 10 }, FlagChange::Remove));
    EXPECT_EQ(flags(*s), before);
    EXPECT_EQ(h.undoDepth(), 2);
    EXPECT_TRUE(h.editPoints(*s, { 2, 9 }, FlagChange::Restore));
    EXPECT_EQ(h.undoDepth(), 3);
    // Nothing to change is no step.
    EXPECT_TRUE(h.editPoints(*s, { 2, 9 }, FlagChange::Restore));
    EXPECT_TRUE(h.touched().empty());
    EXPECT_EQ(h.undoDepth(), 3);
}
