// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/Median.h"

#include <algorithm>
#include <limits>

double Median(std::vector<double> &values)
{
    const size_t n = values.size();
    if (n == 0)
        return std::numeric_limits<double>::quiet_NaN();
    const auto middle = values.begin() + std::ptrdiff_t(n / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (n % 2 == 1)
        return *middle;
    const double below = *std::max_element(values.begin(), middle);
    return (below + *middle) / 2.0;
}
