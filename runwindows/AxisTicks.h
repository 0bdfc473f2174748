// SPDX-License-Identifier: GPL-3.0-or-later
// The ticks of a plot's axis, without widgets: steps of 1, 2, 2.5 or 5
// times a power of ten, tick values that are those multiples exactly as
// decimals, labels that never read "-0", and as many ticks as an axis of a
// given length holds with every label whole.
#pragma once

#include <QString>

#include <functional>

struct AxisTicks {
    double mantissa = 1.0; // the step is mantissa x 10^exponent, mantissa 1, 2, 2.5 or 5
    int exponent = 0;
    long long first = 0; // the first tick is first steps from 0
    int count = 0;

    double step() const;
    // Tick i (0-based), the nearest double to its decimal value.
    double value(int i) const;
    // The digits after the point that tell the ticks apart (0.25 needs 2).
    int decimals() const;
    QString text(int i) const;
};

// The ticks within [from, to] (ends included) with the smallest tidy step
// that gives at most `most` of them (at least 1). A range that is empty or
// not finite gets no tick.
AxisTicks TidyTicks(double from, double to, int most);

// `value` with `decimals` digits after the point, without a sign when it
// shows as zero.
QString TickText(double value, int decimals);

// The ticks of an axis `pixels` long within [from, to]: as many as leave
// each label the room Qt Charts gives it (the axis' length shared among
// the ticks and one more slot, less `padding` on each side), at most
// `most`. `extent` is a label's size along the axis (its width on a
// horizontal axis, its height on a vertical one).
AxisTicks FittingTicks(double from, double to, double pixels,
    const std::function<double(const QString &)> &extent, double padding, int most = 9);
