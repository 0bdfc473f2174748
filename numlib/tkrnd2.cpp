// SPDX-License-Identifier: LGPL-3.0-or-later
// tkrnd2: tidy axis ends and tick count for a plot axis.
#include "kelvane.h"

#include <cfloat>
#include <cmath>
#include <utility>

namespace
{

double aint(double v)
{
    return std::trunc(v);
}

// The divisor is this 8-digit constant, not ln 10: for an exact power of
// ten the quotient falls just below the whole number, which the halving and
// doubling of the step then absorbs.
double log10Rounded(double v)
{
    return std::log(v) / 2.3025851;
}

struct Axis {
    double start;
    double end;
    int32_t count;
};

Axis roundAxis(double a, double b)
{
    double step = std::pow(10.0, aint(log10Rounded((b - a) / 3.0)));
    bool halved = false;
    bool doubled = false;
    Axis axis {};
    // Halving and doubling settle within a few rounds; the bound only guards
    // against arithmetic that no finite a < b produces.
    for (int round = 0; round < 200; ++round) {
        double start = aint(a / step) * step;
        const double margin = step / 5.0;
        for (int lower = 0; lower < 100; ++lower) {
            if (start > a - margin && (start - step) * start > 0.0)
                start -= step;
            if (start <= a)
                break;
            start -= step;
        }
        double end = aint(b / step) * step;
        if (b + margin > end && (end + step) * end > 0.0)
            end += step;
        const auto count = int32_t(std::trunc((end - start) / step + 0.5));
        axis = { start, end, count };
        if (count < 5) {
            step *= 0.5;
            halved = true;
        } else if (count >= 10 && !(halved && doubled)) {
            step *= 2.0;
            doubled = true;
        } else {
            break;
        }
    }
    if (axis.end < b) {
        axis.end += step;
        axis.count += 1;
    }
    return axis;
}

// Brings inputs outside the contract (NaN, infinity, a >= b) to a range the
// rounding can work on.
std::pair<double, double> saneRange(double a, double b)
{
    const auto finite = [](double v) {
        if (std::isnan(v))
            return 0.0;
        return std::fmax(-double(FLT_MAX), std::fmin(double(FLT_MAX), v));
    };
    a = finite(a);
    b = finite(b);
    if (a > b)
        std::swap(a, b);
    if (a == b) {
        const double half = a == 0.0 ? 1.0 : std::fabs(a) / 2.0;
        a -= half;
        b += half;
    }
    return { a, b };
}

float narrow(double v)
{
    return float(std::fmax(-double(FLT_MAX), std::fmin(double(FLT_MAX), v)));
}

} // namespace

extern "C" KELVANE_API void tkrnd2(
    const float *a, const float *b, float *start, float *end, int32_t *count)
{
    const auto [lo, hi] = saneRange(a ? *a : 0.0f, b ? *b : 1.0f);
    const Axis axis = roundAxis(lo, hi);
    float first = narrow(axis.start);
    float last = narrow(axis.end);
    int32_t intervals = axis.count;
    if (!(first < last) || intervals < 1) {
        // Only when the range is too narrow or too wide for 32-bit floats.
        first = std::nextafter(narrow(lo), -FLT_MAX);
        last = std::nextafter(narrow(hi), FLT_MAX);
        intervals = 1;
    }
    if (start)
        *start = first;
    if (end)
        *end = last;
    if (count)
        *count = intervals;
}
