// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(InvertC, TwiceGivesTheDataBackExactly)
{
    Harness h;
    h.choose(h.example(QStringLiteral("edited-scan.dat")), MenuEntry::GetNewData);
    ProgramState &s = *h.state;
    const PointArray before = s.DataPts;
    const QByteArray fileBefore = h.workFile();
    const bool noise = s.NoiseAdded;

    h.trigger(MenuEntry::InvertC);
    bool deletedSeen = false;
    for (int i = 1; i <= s.NumPts; ++i) {
        ASSERT_EQ(s.DataPts.conc(i), -before.conc(i)) << i;
        ASSERT_EQ(s.DataPts.x(i), before.x(i)) << i;
        ASSERT_EQ(s.DataPts.flag(i), before.flag(i)) << "flags keep their sign, point " << i;
        deletedSeen = deletedSeen || before.flag(i) < 0;
    }
    EXPECT_TRUE(deletedSeen) << "the example has deleted points";
    EXPECT_EQ(s.NoiseAdded, noise);
    EXPECT_NE(h.workFile(), fileBefore);
    EXPECT_EQ(s.RawPts.conc(1), before.conc(1)) << "the data as read are not touched";

    h.trigger(MenuEntry::InvertC);
    EXPECT_EQ(std::memcmp(s.DataPts.data(), before.data(), sizeof(float) * 3 * PointCapacity), 0);
    EXPECT_EQ(h.workFile(), fileBefore);
}
