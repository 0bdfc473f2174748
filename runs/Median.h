// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

// The median; of an even count, the mean of the two middle values. Sorts.
double Median(std::vector<double> &values);
