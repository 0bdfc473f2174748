// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/AxisTicks.h"
#include "runs/ChartMap.h"
#include "runs/PlotExtent.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>
#include <cmath>

TEST(AxisTicks, TidyStepsExactValuesAndLabelsWithoutANegativeZero)
{
    const struct {
        const char *name;
        double from, to;
        int most;
        double step;
        QStringList texts;
    } rows[] = {
        { "tenths", 0.0, 1.0, 6, 0.2, { "0.0", "0.2", "0.4", "0.6", "0.8", "1.0" } },
        { "quarters", 0.0, 1.0, 5, 0.25, { "0.00", "0.25", "0.50", "0.75", "1.00" } },
        { "halves", 0.0, 1.0, 4, 0.5, { "0.0", "0.5", "1.0" } },
        { "zero in the middle", -0.3, 0.3, 7, 0.1,
            { "-0.3", "-0.2", "-0.1", "0.0", "0.1", "0.2", "0.3" } },
        { "a radius axis", 6.587, 7.213, 7, 0.1,
            { "6.6", "6.7", "6.8", "6.9", "7.0", "7.1", "7.2" } },
        { "hours", 132.0, 180.0, 6, 10.0, { "140", "150", "160", "170", "180" } },
        { "a hair below zero", -1e-17, 0.02, 3, 0.01, { "0.00", "0.01", "0.02" } },
        { "twenty-fives", 0.0, 100.0, 5, 25.0, { "0", "25", "50", "75", "100" } },
    };
    for (const auto &row : rows) {
        const AxisTicks ticks = TidyTicks(row.from, row.to, row.most);
        EXPECT_DOUBLE_EQ(ticks.step(), row.step) << row.name;
        QStringList texts;
        for (int i = 0; i < ticks.count; ++i)
            texts << ticks.text(i);
        EXPECT_EQ(texts, row.texts) << row.name;
    }
    // Each tick the double nearest its decimal: 3 x 0.05 would give 0.15000000000000002.
    const AxisTicks fives = TidyTicks(0.1, 0.35, 6);
    ASSERT_EQ(fives.count, 6);
    EXPECT_EQ(fives.value(1), 0.15);
    EXPECT_EQ(fives.value(4), 0.3);
    EXPECT_EQ(TidyTicks(1.0, 1.0, 5).count, 0) << "no length";
    EXPECT_EQ(TidyTicks(0.0, std::nan(""), 5).count, 0);

    EXPECT_EQ(TickText(-0.0001, 2), QStringLiteral("0.00"));
    EXPECT_EQ(TickText(-0.0, 0), QStringLiteral("0"));
    EXPECT_EQ(TickText(-0.006, 2), QStringLiteral("-0.01"));
}

TEST(AxisTicks, AsManyTicksAsLeaveEachLabelItsRoom)
{
    // Labels 7 pixels a character and 4 of padding each side; an axis of
    // n ticks gives each label its length / (n + 1), less the padding.
    const auto extent = [](const QString &text) { return 7.0 * double(text.size()); };
    // 400 px: 6 ticks of 0.2 ("0.0", 21 px) fit in 400 / 7 - 8 = 49 px.
    const AxisTicks wide = FittingTicks(0.0, 1.0, 400.0, extent, 4.0);
    EXPECT_EQ(wide.count, 6);
    EXPECT_DOUBLE_EQ(wide.step(), 0.2);
    // 200 px: 6 leave 20.6 px (too few), 5 quarters ("0.00", 28 px) 25.3;
    // 3 halves leave 42.
    const AxisTicks narrow = FittingTicks(0.0, 1.0, 200.0, extent, 4.0);
    EXPECT_EQ(narrow.count, 3);
    EXPECT_DOUBLE_EQ(narrow.step(), 0.5);
}

TEST(PlotExtent, TheReadingsCheckedWithoutTheSpikesAndWithTheSteepTop)
{
    // Air, the two meniscus spikes, then a gradient rising steeply to 1.4.
    std::vector<QPointF> scan;
    for (int i = 0; i <= 400; ++i) {
        const double x = 6.0 + 0.001 * i;
        const double noise = (i % 3 - 1) * 0.002;
        double c = noise;
        if (x >= 6.100 && x < 6.106)
            c = -2.0;
        else if (x >= 6.106 && x < 6.112)
            c = 2.0;
        else if (x >= 6.112)
            c = 0.1 + 1.3 * std::expm1(12.0 * (x - 6.112)) / std::expm1(12.0 * 0.288) + noise;
        scan.push_back({ x, c });
    }
    const double top = std::max_element(scan.begin(), scan.end(), [](QPointF a, QPointF b) {
        return a.x() <= 6.35 && (b.x() > 6.35 || a.y() < b.y());
    })->y();
    const struct {
        const char *name;
        double from, to;
        double low, high; // the extent's ends, give or take 0.005
    } rows[] = {
        { "spikes inside the window", 6.05, 6.35, -0.002, top },
        { "to the bottom", 6.05, 6.40, -0.002, 1.4 + 0.002 },
        { "the column alone", 6.2, 6.3, scan[200].y(), scan[300].y() },
    };
    for (const auto &row : rows) {
        const std::optional<ValueRange> extent = ReadingExtent({ { &scan, row.from, row.to } });
        ASSERT_TRUE(extent) << row.name;
        EXPECT_NEAR(extent->from, row.low, 0.005) << row.name;
        EXPECT_NEAR(extent->to, row.high, 0.005) << row.name;
    }
    // A difference: a spike at its very start, then flat, then falling
    // steeply at its end; it has no neighbours beyond either end.
    std::vector<QPointF> difference = { { 6.800, 1.2 }, { 6.801, -0.4 } };
    for (int i = 2; i <= 200; ++i) {
        const double x = 6.8 + 0.001 * i;
        difference.push_back(
            { x, (i % 3 - 1) * 0.002 - (x > 6.97 ? 0.35 * (x - 6.97) / 0.03 : 0.0) });
    }
    const std::optional<ValueRange> ends = ReadingExtent({ { &difference, 6.8, 7.0 } });
    ASSERT_TRUE(ends);
    EXPECT_NEAR(ends->from, difference.back().y(), 0.005) << "the steep end";
    EXPECT_NEAR(ends->to, 0.002, 0.005) << "not the spike";

    // A window that holds fewer than two points gives all of them.
    const std::vector<QPointF> few = { { 6.9, 0.3 }, { 6.91, 0.5 }, { 6.92, 0.4 } };
    const std::optional<ValueRange> all = ReadingExtent({ { &few, 7.0, 7.1 } });
    ASSERT_TRUE(all);
    EXPECT_EQ(all->from, 0.3);
    EXPECT_EQ(all->to, 0.5);
    EXPECT_FALSE(ReadingExtent({}));
}

TEST(ChartMap, ValuesToPixelsAndBack)
{
    // 200 x 100 pixels from (10, 20) show x 6..7 and y 0..2.
    const ChartMap map(QRectF(10, 20, 200, 100), 6.0, 7.0, 0.0, 2.0);
    ASSERT_TRUE(map.isValid());
    EXPECT_EQ(map.toPixel({ 6.0, 0.0 }), QPointF(10, 120));
    EXPECT_EQ(map.toPixel({ 6.5, 1.0 }), QPointF(110, 70));
    EXPECT_EQ(map.toPixel({ 7.0, 2.0 }), QPointF(210, 20));
    EXPECT_EQ(map.toValue({ 110, 70 }), QPointF(6.5, 1.0));
    EXPECT_FALSE(ChartMap(QRectF(10, 20, 200, 100), 6.0, 6.0, 0.0, 2.0).isValid());
}
