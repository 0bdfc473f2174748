// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ProgramState.h"

#include <algorithm>
#include <cstring>

namespace
{
size_t slotOffset(int k)
{
    if (k < 1 || k > CommentSlots)
        throw std::out_of_range("comment slot outside 1..50");
    return size_t((k - 1) * CommentSlotLength);
}
} // namespace

QByteArray CommentBuffer::slot(int k) const
{
    return QByteArray(m_chars.data() + slotOffset(k), CommentSlotLength);
}

void CommentBuffer::setSlot(int k, const QByteArray &line)
{
    char *slot = m_chars.data() + slotOffset(k);
    const int copied = std::min<int>(int(line.size()), CommentSlotLength);
    std::memcpy(slot, line.constData(), size_t(copied));
    std::memset(slot + copied, ' ', size_t(CommentSlotLength - copied));
}

void SetFirstLastGood(ProgramState &state)
{
    const PointArray &pts = state.DataPts;
    state.FirstIdx = 1;
    state.FirstX = pts.x(1);
    state.LastX = pts.x(state.NumPts);
    state.LastIdx = state.NumPts;
    ScanFirstLastGood(state);
    state.IsRadius = state.LastX < 8.0f;
}

void ScanFirstLastGood(ProgramState &state)
{
    const PointArray &pts = state.DataPts;
    for (int i = 1; i <= state.NumPts; ++i) {
        if (pts.flag(i) > 0.0f) {
            state.FirstIdx = i;
            state.FirstX = pts.x(i);
            break;
        }
    }
    for (int i = state.NumPts; i >= std::max(state.FirstIdx, 1); --i) {
        if (pts.flag(i) > 0.0f) {
            state.LastIdx = i;
            state.LastX = pts.x(i);
            break;
        }
    }
}

void CopyPoints(const PointArray &from, PointArray &to, int count)
{
    for (int i = 1; i <= count; ++i) {
        to.x(i) = from.x(i);
        to.conc(i) = from.conc(i);
        to.flag(i) = from.flag(i);
    }
}

void ClearBlankState(ProgramState &state)
{
    state.BlankLoaded = false;
    state.NumBlankPts = 0;
    state.NumBlankComments = 0;
    state.BlankCommentBuf.clear();
    CopyPoints(state.RawPts, state.DataPts, state.NumPts);
    if (state.NumPts > 0)
        SetFirstLastGood(state);
}

PlotColours ColoursOf(const ProgramState &state)
{
    return { state.GoodRed, state.GoodGreen, state.GoodBlue, state.DelRed, state.DelGreen,
        state.DelBlue };
}

void SetColours(ProgramState &state, const PlotColours &colours)
{
    state.GoodRed = colours.GoodRed;
    state.GoodGreen = colours.GoodGreen;
    state.GoodBlue = colours.GoodBlue;
    state.DelRed = colours.DelRed;
    state.DelGreen = colours.DelGreen;
    state.DelBlue = colours.DelBlue;
}
