// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/AxisTicks.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{

// 10^n, exact up to 10^22.
double powerOfTen(int n)
{
    double power = 1.0;
    for (int k = 0; k < n; ++k)
        power *= 10.0;
    return power;
}

// Beyond this many steps from 0 a double no longer holds every multiple.
constexpr double MostSteps = 1e15;

} // namespace

double AxisTicks::step() const
{
    return exponent >= 0 ? mantissa * powerOfTen(exponent) : mantissa / powerOfTen(-exponent);
}

double AxisTicks::value(int i) const
{
    // An integer times 1, 2, 2.5 or 5 is exact; one scaling rounds it once.
    const double multiple = double(first + i) * mantissa;
    return exponent >= 0 ? multiple * powerOfTen(exponent) : multiple / powerOfTen(-exponent);
}

int AxisTicks::decimals() const
{
    return std::max(0, -exponent + (mantissa == 2.5 ? 1 : 0));
}

QString AxisTicks::text(int i) const
{
    return TickText(value(i), decimals());
}

QString TickText(double value, int decimals)
{
    QString text = QString::number(value, 'f', std::max(0, decimals));
    if (text.startsWith(QLatin1Char('-'))
        && std::all_of(text.cbegin() + 1, text.cend(),
            [](QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('.'); }))
        text.remove(0, 1);
    return text;
}

AxisTicks TidyTicks(double from, double to, int most)
{
    if (!std::isfinite(from) || !std::isfinite(to) || !(to > from))
        return {};
    most = std::max(1, most);
    constexpr std::array<double, 4> mantissas = { 1.0, 2.0, 2.5, 5.0 };
    // A step below the one that could give `most` ticks, then upwards.
    int exponent = int(std::floor(std::log10((to - from) / most))) - 1;
    for (int tries = 0; tries < 40; ++tries, ++exponent) {
        for (double mantissa : mantissas) {
            AxisTicks ticks { mantissa, exponent, 0, 0 };
            const double step = ticks.step();
            if (std::max(std::fabs(from), std::fabs(to)) / step > MostSteps)
                continue;
            // A tick on an end, give or take rounding, counts.
            const double first = std::ceil(from / step - 1e-9);
            const double last = std::floor(to / step + 1e-9);
            if (last - first + 1.0 <= double(most)) {
                ticks.first = (long long)first;
                ticks.count = std::max(0, int(last - first) + 1);
                return ticks;
            }
        }
    }
    return {};
}

AxisTicks FittingTicks(double from, double to, double pixels,
    const std::function<double(const QString &)> &extent, double padding, int most)
{
    AxisTicks ticks;
    int fit = std::max(1, most);
    for (int round = 0; round < 12; ++round) {
        ticks = TidyTicks(from, to, fit);
        if (ticks.count <= 1)
            return ticks;
        double need = 0.0;
        for (int i = 0; i < ticks.count; ++i)
            need = std::max(need, extent(ticks.text(i)));
        if (need <= pixels / double(ticks.count + 1) - 2.0 * padding)
            return ticks;
        const int holds = int(std::floor(pixels / (need + 2.0 * padding))) - 1;
        fit = std::clamp(holds, 1, ticks.count - 1);
    }
    return ticks;
}
