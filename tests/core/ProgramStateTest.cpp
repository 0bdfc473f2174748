// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ProgramState.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

std::unique_ptr<ProgramState> withFlags(std::initializer_list<float> flags, float firstX = 6.0f)
{
    auto state = std::make_unique<ProgramState>();
    int i = 0;
    for (float flag : flags) {
        ++i;
        state->DataPts.x(i) = firstX + 0.1f * float(i - 1);
        state->DataPts.flag(i) = flag;
    }
    state->NumPts = i;
    return state;
}

} // namespace

TEST(ProgramState, StartsAsDocumented)
{
    const auto state = std::make_unique<ProgramState>();
    EXPECT_EQ(state->NumPts, 0);
    EXPECT_EQ(state->CommentBuf.slot(50), QByteArray(96, ' '));
    EXPECT_EQ(state->GoodGreen, 127);
    EXPECT_EQ(state->DelRed, 255);
    EXPECT_FLOAT_EQ(state->NoiseRms, 0.01f);
    EXPECT_TRUE(state->ShowXY);
    EXPECT_FALSE(state->BlankLoaded);
    // The library receives the point arrays as 3 x 2200 adjacent floats.
    EXPECT_EQ(&state->DataPts.conc(2) - state->DataPts.data(), 4);
    EXPECT_EQ(sizeof(PointArray), 26400u);
}

TEST(ProgramState, IndicesOutsideTheArraysThrow)
{
    ProgramState state;
    EXPECT_THROW(state.DataPts.x(0), std::out_of_range);
    EXPECT_THROW(state.DataPts.flag(2201), std::out_of_range);
    EXPECT_NO_THROW(state.DataPts.flag(2200));
    EXPECT_THROW(state.PlotX(2501), std::out_of_range);
    EXPECT_THROW(state.FitDataFiles(0), std::out_of_range);
    EXPECT_THROW(state.CommentBuf.slot(51), std::out_of_range);
}

TEST(ProgramState, CommentSlotsAreCutAndPadded)
{
    CommentBuffer buffer;
    buffer.setSlot(2, QByteArray(100, 'a'));
    buffer.setSlot(3, "ten chars!");
    EXPECT_EQ(buffer.slot(2), QByteArray(96, 'a'));
    EXPECT_EQ(buffer.slot(3), QByteArray("ten chars!") + QByteArray(86, ' '));
    EXPECT_EQ(buffer.slot(1), QByteArray(96, ' '));
    EXPECT_EQ(buffer.slot(4), QByteArray(96, ' '));
}

TEST(ProgramState, FirstAndLastGoodPoint)
{
    struct Row {
        const char *name;
        std::initializer_list<float> flags;
        int first, last;
    };
    const Row rows[] = {
        { "all good", { 100, 100, 100 }, 1, 3 },
        { "ends removed", { -100, -2.5f, 2.5f, 100, -1 }, 3, 4 },
        { "all removed", { -1, -1, -1, -1 }, 1, 4 },
        { "zero is not good", { 0, 5, 0 }, 2, 2 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto state = withFlags(row.flags);
        SetFirstLastGood(*state);
        EXPECT_EQ(state->FirstIdx, row.first);
        EXPECT_EQ(state->LastIdx, row.last);
        EXPECT_FLOAT_EQ(state->FirstX, state->DataPts.x(row.first));
        EXPECT_FLOAT_EQ(state->LastX, state->DataPts.x(row.last));
    }
}

TEST(ProgramState, RadiusDecisionAtEight)
{
    auto below = withFlags({ 1, 1 }, 7.8f); // last x 7.9
    SetFirstLastGood(*below);
    EXPECT_TRUE(below->IsRadius);
    auto exactly = withFlags({ 1, 1 }, 7.9f); // last x 8.0
    exactly->DataPts.x(2) = 8.0f;
    SetFirstLastGood(*exactly);
    EXPECT_FALSE(exactly->IsRadius);
}

TEST(ProgramState, NoPointsSetsTheFirstPointThenFails)
{
    ProgramState state;
    state.DataPts.x(1) = 6.25f;
    state.LastIdx = 77;
    state.LastX = 7.5f;
    EXPECT_THROW(SetFirstLastGood(state), std::out_of_range);
    EXPECT_EQ(state.FirstIdx, 1);
    EXPECT_FLOAT_EQ(state.FirstX, 6.25f);
    EXPECT_EQ(state.LastIdx, 77);
    EXPECT_FLOAT_EQ(state.LastX, 7.5f);
}
