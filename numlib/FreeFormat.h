// SPDX-License-Identifier: LGPL-3.0-or-later
// Free-format reading of numbers from one line of a data file.
#pragma once

namespace kelvane
{

// Outcome of reading the leading values of a line.
enum class ReadOutcome {
    Complete, // every requested value was read
    OutOfValues, // the line ended first; `count` values were read
    NotANumber, // a token among the requested ones is not a number
};

struct LineValues {
    ReadOutcome outcome;
    int count;
    float value[4];
};

// Reads up to `wanted` (1..4) values from line[0, length). Values are
// separated by blanks or tabs, or by one comma with optional blanks or tabs
// around it; an empty value (two commas, a leading comma) is not a number.
LineValues readValues(const char *line, int length, int wanted);

// Parses one whole token as a number: optional sign, digits with an optional
// decimal point, optional exponent introduced by E or D. Values beyond the
// float range are not numbers; values too small for it read as zero.
bool parseNumber(const char *begin, const char *end, float &out);

} // namespace kelvane
