// SPDX-License-Identifier: GPL-3.0-or-later
// The number formatter on arbitrary doubles and floats: every pattern gives
// a bounded text that reads back as the value, to the pattern's precision.
#include "core/NumberFormat.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{

void check(double value, const NumberPattern &pattern, int significant, bool fixed, int decimals)
{
    char text[NumberFormat::MaxLength + 1];
    char *end = NumberFormat::format(text, value, pattern);
    if (end - text > NumberFormat::MaxLength || end <= text)
        abort();
    *end = '\0';
    if (!std::isfinite(value))
        return;
    const double back = std::strtod(text, nullptr);
    // Rounded at its last digit, a value near the largest double may read
    // back as beyond it.
    if (std::isinf(back) && std::fabs(value) > 1e307)
        return;
    // Half a unit of the last written digit, plus the read-back's own rounding.
    const double tolerance = (fixed ? 0.5 * std::pow(10.0, -decimals)
                                    : std::fabs(value) * 0.5 * std::pow(10.0, 1 - significant))
        + std::fabs(value) * 4e-16;
    if (std::fabs(back - value) > tolerance && std::fabs(back - value) > 1e-300)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < sizeof(double))
        return 0;
    double value;
    std::memcpy(&value, data, sizeof value);
    for (const double v : { value, double(float(value)) }) {
        check(v, NumberFormat::Scientific5Signed, 6, false, 0);
        check(v, NumberFormat::Scientific3Signed, 4, false, 0);
        check(v, NumberFormat::Scientific4, 5, false, 0);
        check(v, NumberFormat::Scientific3, 4, false, 0);
        check(v, NumberFormat::Scientific2Plus, 3, false, 0);
        if (std::fabs(v) < 1e30) {
            check(v, NumberFormat::Fixed5, 0, true, 5);
            check(v, NumberFormat::Fixed5TwoDigits, 0, true, 5);
            check(v, NumberFormat::Fixed3, 0, true, 3);
        }
    }
    return 0;
}
