// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/NumLib.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace
{

struct Axis {
    float start, end;
    int32_t count;
};

Axis round(float a, float b)
{
    static NumLib lib;
    Axis axis {};
    lib.tkrnd2(a, b, axis.start, axis.end, axis.count);
    return axis;
}

} // namespace

TEST(Tkrnd2, WorkedExamples)
{
    struct Row {
        const char *name;
        float a, b;
        float start, end;
        int32_t count;
    };
    const Row rows[] = {
        { "doubling to 2", 3.7f, 17.2f, 2.0f, 18.0f, 8 },
        { "decade just below", 0.0f, 300.0f, 0.0f, 320.0f, 8 },
        { "halving twice", 0.0f, 1.0f, 0.0f, 1.25f, 5 },
        { "radius scan", 5.9f, 7.2f, 5.75f, 7.25f, 6 },
        { "small concentrations", 0.0012f, 0.0034f, 0.001f, 0.0035f, 5 },
        { "minimum on a step is lowered", 2.0f, 8.0f, 1.0f, 9.0f, 8 },
        { "maximum on a step is raised", 12.0f, 18.0f, 11.0f, 19.0f, 8 },
        { "minimum just above one step keeps it", 1.1f, 7.0f, 1.0f, 8.0f, 7 },
        { "minimum below one step starts at zero", 0.5f, 7.0f, 0.0f, 8.0f, 8 },
        // Step 10, margin 2: exactly a fifth above 20 is not within the margin.
        { "minimum exactly a fifth above a step keeps it", 22.0f, 82.0f, 20.0f, 90.0f, 7 },
        { "minimum just under a fifth above is lowered", 21.9f, 82.0f, 10.0f, 90.0f, 8 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Axis axis = round(row.a, row.b);
        EXPECT_FLOAT_EQ(axis.start, row.start);
        EXPECT_FLOAT_EQ(axis.end, row.end);
        EXPECT_EQ(axis.count, row.count);
    }
}

TEST(Tkrnd2, RangesAreCoveredWithFiveToNineIntervals)
{
    const float pairs[][2] = { { -7.3f, -1.2f }, { -3.0f, 4.0f }, { 1e-30f, 3e-30f },
        { 1e30f, 5e30f }, { 6.0f, 6.0001f }, { -0.002f, 0.0f }, { 100.0f, 100000.0f } };
    for (const auto &p : pairs) {
        SCOPED_TRACE(testing::Message() << p[0] << ".." << p[1]);
        const Axis axis = round(p[0], p[1]);
        EXPECT_LE(axis.start, p[0]);
        EXPECT_GE(axis.end, p[1]);
        EXPECT_GE(axis.count, 5);
        EXPECT_LE(axis.count, 12);
    }
}

TEST(Tkrnd2, InputsOutsideTheContractStillGiveAnAxis)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float pairs[][2] = { { 3.0f, 3.0f }, { 0.0f, 0.0f }, { 5.0f, 1.0f }, { nan, 1.0f },
        { nan, nan }, { -inf, inf }, { inf, inf }, { -FLT_MAX, FLT_MAX },
        { 1e7f, std::nextafter(1e7f, 2e7f) }, { FLT_MAX, FLT_MAX }, { -FLT_MIN, FLT_MIN } };
    for (const auto &p : pairs) {
        SCOPED_TRACE(testing::Message() << p[0] << ".." << p[1]);
        const Axis axis = round(p[0], p[1]);
        EXPECT_TRUE(std::isfinite(axis.start));
        EXPECT_TRUE(std::isfinite(axis.end));
        EXPECT_LT(axis.start, axis.end);
        EXPECT_GE(axis.count, 1);
    }
}
