// SPDX-License-Identifier: LGPL-3.0-or-later
// blank: subtraction of an interpolated blank scan.
#include "kelvane.h"

#include <algorithm>
#include <cstring>

namespace
{

float x(const float *pts, int i)
{
    return pts[3 * (i - 1)];
}
float conc(const float *pts, int i)
{
    return pts[3 * (i - 1) + 1];
}

int clampCount(const int32_t *count)
{
    return count ? std::clamp<int32_t>(*count, 0, KELVANE_POINT_CAPACITY) : 0;
}

} // namespace

extern "C" KELVANE_API void blank(const float *d, const int32_t *n, const float *b,
    const int32_t *nb, float *out, int32_t *nlow, int32_t *nhigh)
{
    int32_t low = 0;
    int32_t high = 0;
    const int points = clampCount(n);
    const int blankPoints = clampCount(nb);
    if (points > 0 && blankPoints > 0 && d && b && out) {
        const float bl = x(b, 1);
        const float bu = x(b, blankPoints);
        const float d1 = x(d, 1);
        const float dn = x(d, points);
        if ((d1 < bl && dn <= bl) || (d1 >= bu && dn > bu)) {
            // No overlap: the data are taken as they are, flags included.
            std::memmove(out, d, sizeof(float) * 3 * KELVANE_POINT_CAPACITY);
            (d1 < bl && dn <= bl ? low : high) = points;
        } else {
            int j = 2;
            for (int k = 1; k <= points; ++k) {
                const double xk = x(d, k);
                const double yk = conc(d, k);
                double base;
                if (xk <= bl) {
                    base = conc(b, 1);
                    ++low;
                } else if (xk < bu) {
                    while (xk > x(b, j))
                        ++j;
                    const double x0 = x(b, j - 1);
                    const double dx = double(x(b, j)) - x0;
                    const double y0 = conc(b, j - 1);
                    const double dy = double(conc(b, j)) - y0;
                    // Coincident blank x: take the segment's end value.
                    base = dx != 0.0 ? y0 + (xk - x0) * dy / dx : conc(b, j);
                } else {
                    base = conc(b, blankPoints);
                    ++high;
                }
                out[3 * (k - 1) + 1] = float(yk - base);
            }
        }
    }
    if (nlow)
        *nlow = low;
    if (nhigh)
        *nhigh = high;
}
