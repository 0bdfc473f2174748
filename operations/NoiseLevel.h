// SPDX-License-Identifier: GPL-3.0-or-later
// The RMS level typed into the Add Random Noise dialog.
#pragma once

#include <QString>

#include <optional>

// The level typed into the dialog: a decimal number with optional sign,
// decimal point and exponent (E or D), blanks around it allowed. Nothing
// when the text is not such a number or does not fit a single-precision
// float.
std::optional<float> ReadNoiseLevel(const QString &text);
