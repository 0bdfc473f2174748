// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/NumLib.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>

namespace
{

struct Scan {
    PointArray pts;
    int32_t n = 0;
    Scan(std::initializer_list<std::pair<float, float>> points, float flag = 100.0f)
    {
        for (const auto &[x, c] : points) {
            ++n;
            pts.x(n) = x;
            pts.conc(n) = c;
            pts.flag(n) = flag;
        }
    }
};

const Scan &standardBlank()
{
    static const Scan b { { 5.9f, 0.1f }, { 6.0f, 0.2f }, { 6.1f, 0.3f } };
    return b;
}

struct Result {
    PointArray out;
    int32_t nlow = -1, nhigh = -1;
};

Result subtract(const Scan &d, const Scan &b, const PointArray &outBefore = PointArray())
{
    static NumLib lib;
    Result r { outBefore };
    lib.blank(d.pts, d.n, b.pts, b.n, r.out, r.nlow, r.nhigh);
    return r;
}

} // namespace

TEST(Blank, InterpolatesAndCountsTheEnds)
{
    const Scan d { { 5.8f, 1.0f }, { 6.05f, 1.0f }, { 6.1f, 1.0f }, { 6.2f, 1.0f } };
    PointArray before;
    for (int i = 1; i <= 4; ++i) {
        before.x(i) = 9.0f;
        before.flag(i) = -2.5f;
    }
    const Result r = subtract(d, standardBlank(), before);
    EXPECT_FLOAT_EQ(r.out.conc(1), 0.9f);
    EXPECT_FLOAT_EQ(r.out.conc(2), 0.75f);
    EXPECT_FLOAT_EQ(r.out.conc(3), 0.7f);
    EXPECT_FLOAT_EQ(r.out.conc(4), 0.7f);
    EXPECT_EQ(r.nlow, 1);
    EXPECT_EQ(r.nhigh, 2) << "a point exactly at the blank's last x counts as above it";
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(r.out.x(i), 9.0f) << "x of the output stays";
        EXPECT_EQ(r.out.flag(i), -2.5f) << "edited flags stay";
    }
}

TEST(Blank, NoOverlapCopiesTheData)
{
    const Scan above { { 6.3f, 1.0f }, { 6.5f, 2.0f }, { 7.0f, 3.0f } };
    const Result r = subtract(above, standardBlank());
    EXPECT_EQ(r.nhigh, 3);
    EXPECT_EQ(r.nlow, 0);
    EXPECT_EQ(r.out.conc(2), 2.0f);
    EXPECT_EQ(r.out.flag(3), 100.0f) << "the data's flags are copied too";

    const Scan below { { 5.0f, 1.0f }, { 5.5f, 2.0f }, { 5.9f, 3.0f } };
    const Result s = subtract(below, standardBlank());
    EXPECT_EQ(s.nlow, 3);
    EXPECT_EQ(s.nhigh, 0);
    EXPECT_EQ(s.out.conc(3), 3.0f);
}

TEST(Blank, DegenerateInputsLeaveTheOutputAlone)
{
    PointArray before;
    before.conc(1) = 7.0f;
    const Scan none {};
    const Scan one { { 6.0f, 1.0f } };
    for (const auto &[d, b] : { std::pair(&none, &standardBlank()), std::pair(&one, &none) }) {
        const Result r = subtract(*d, *b, before);
        EXPECT_EQ(r.out.conc(1), 7.0f);
        EXPECT_EQ(r.nlow, 0);
        EXPECT_EQ(r.nhigh, 0);
    }
}

TEST(Blank, CoincidentBlankPointsStayFinite)
{
    const Scan b { { 5.9f, 0.1f }, { 6.0f, 0.2f }, { 6.0f, 0.4f }, { 5.95f, 0.5f },
        { 6.1f, 0.3f } };
    const Scan d { { 5.95f, 1.0f }, { 6.0f, 1.0f }, { 6.02f, 1.0f }, { 5.97f, 1.0f },
        { 6.05f, 1.0f } };
    const Result r = subtract(d, b);
    for (int i = 1; i <= d.n; ++i)
        EXPECT_TRUE(std::isfinite(r.out.conc(i))) << "point " << i;
}

TEST(Blank, SingleBlankPoint)
{
    const Scan b { { 6.0f, 0.25f } };
    const Scan d { { 5.9f, 1.0f }, { 6.0f, 1.0f }, { 6.1f, 1.0f } };
    const Result r = subtract(d, b);
    EXPECT_FLOAT_EQ(r.out.conc(1), 0.75f);
    EXPECT_FLOAT_EQ(r.out.conc(3), 0.75f);
}
