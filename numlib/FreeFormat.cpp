// SPDX-License-Identifier: LGPL-3.0-or-later
#include "FreeFormat.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <system_error>

namespace kelvane
{

namespace
{

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool isSeparator(char c)
{
    return isBlank(c) || c == ',';
}

} // namespace

namespace
{

// 10^0 .. 10^10 are exact in single precision.
constexpr float exactPowers[]
    = { 1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f };

// The general conversion, for what the exact shortcut cannot take.
bool convertSlowly(
    const char *begin, const char *end, bool negative, long exponent, long magnitude, float &out)
{
    // from_chars wants no '+', an 'e' for the exponent, and accepts forms a
    // data file may not hold, so it gets a normalised copy of the mantissa.
    constexpr int maxToken = 200;
    char text[maxToken];
    int len = 0;
    if (negative)
        text[len++] = '-';
    for (const char *p = begin; p != end && len < maxToken - 24; ++p) {
        if (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd')
            break;
        if (*p != '+' && *p != '-')
            text[len++] = *p;
    }
    text[len++] = 'e';
    len = int(std::to_chars(text + len, text + maxToken, exponent).ptr - text);

    float value = 0.0f;
    const auto result = std::from_chars(text, text + len, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large is not a number; too small underflows to zero.
        if (magnitude > 0)
            return false;
        value = negative ? -0.0f : 0.0f;
    } else if (result.ec != std::errc() || result.ptr != text + len) {
        return false;
    }
    out = value;
    return true;
}

} // namespace

namespace
{

// Reads a number from `begin` up to `end` or, with StopAtSeparator, up to the
// first separator, so that a line is scanned once. Returns where the number
// ends, or nullptr when the text there is not a number.
template <bool StopAtSeparator>
const char *readNumber(const char *begin, const char *end, float &out)
{
    const auto atEnd
        = [end](const char *q) { return q == end || (StopAtSeparator && isSeparator(*q)); };
    const char *p = begin;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    uint64_t mantissa = 0;
    int significant = 0; // digits from the first non-zero one on
    int digits = 0;
    int afterPoint = 0; // digits after the decimal point
    int dropped = 0; // significant digits beyond what mantissa holds
    long leadingZeros = 0; // zeros before the first non-zero digit
    // One digit of the mantissa; the separate loops before and after the
    // point keep the common case free of bookkeeping.
    const auto take = [&](char c) {
        ++digits;
        if (significant == 0 && c == '0') {
            ++leadingZeros;
            return;
        }
        if (significant < 19)
            mantissa = mantissa * 10 + uint64_t(c - '0');
        else
            ++dropped;
        ++significant;
    };
    for (; p != end && *p >= '0' && *p <= '9'; ++p)
        take(*p);
    if (p != end && *p == '.') {
        ++p;
        const char *fraction = p;
        for (; p != end && *p >= '0' && *p <= '9'; ++p)
            take(*p);
        afterPoint = int(p - fraction);
    }
    if (digits == 0)
        return nullptr;

    long exponent = 0;
    if (!atEnd(p)) {
        if (*p != 'E' && *p != 'e' && *p != 'D' && *p != 'd')
            return nullptr;
        ++p;
        bool expNegative = false;
        if (p != end && (*p == '+' || *p == '-')) {
            expNegative = *p == '-';
            ++p;
        }
        if (atEnd(p))
            return nullptr;
        for (; !atEnd(p); ++p) {
            if (*p < '0' || *p > '9')
                return nullptr;
            if (exponent < 100000)
                exponent = exponent * 10 + (*p - '0');
        }
        if (expNegative)
            exponent = -exponent;
    }

    // Exact shortcut: a mantissa and a power of ten that are both exact
    // floats give the correctly rounded value in one operation.
    const long power = exponent - afterPoint + dropped;
    if (significant == 0) {
        out = negative ? -0.0f : 0.0f;
        return p;
    }
    if (dropped == 0 && mantissa <= (uint64_t(1) << 24) && power >= -10 && power <= 10) {
        const float m = float(mantissa);
        const float value = power < 0 ? m / exactPowers[-power] : m * exactPowers[power];
        out = negative ? -value : value;
        return p;
    }
    const long magnitude = exponent + (digits - afterPoint) - leadingZeros;
    return convertSlowly(begin, p, negative, exponent, magnitude, out) ? p : nullptr;
}

} // namespace

bool parseNumber(const char *begin, const char *end, float &out)
{
    return readNumber<false>(begin, end, out) != nullptr;
}

LineValues readValues(const char *line, int length, int wanted)
{
    LineValues values { ReadOutcome::Complete, 0, { 0, 0, 0, 0 } };
    const char *p = line;
    const char *const end = line + length;
    while (p != end && isBlank(*p))
        ++p;
    for (int k = 0; k < wanted; ++k) {
        if (k > 0) {
            while (p != end && isBlank(*p))
                ++p;
            if (p != end && *p == ',') {
                ++p;
                while (p != end && isBlank(*p))
                    ++p;
            }
        }
        if (p == end) {
            values.outcome = ReadOutcome::OutOfValues;
            return values;
        }
        const char *tokenEnd = readNumber<true>(p, end, values.value[k]);
        if (tokenEnd == nullptr) {
            values.outcome = ReadOutcome::NotANumber;
            return values;
        }
        ++values.count;
        p = tokenEnd;
    }
    return values;
}

} // namespace kelvane
