// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The plot's two colours, each component 0..255.
struct PlotColours {
    int16_t GoodRed = 0;
    int16_t GoodGreen = 127;
    int16_t GoodBlue = 0;
    int16_t DelRed = 255;
    int16_t DelGreen = 0;
    int16_t DelBlue = 0;
    bool operator==(const PlotColours &) const = default;
};
