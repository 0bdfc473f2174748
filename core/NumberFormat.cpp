// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{

using u128 = unsigned __int128;

constexpr int maxPow5 = 54; // 5^54 < 2^126

constexpr auto pow5Table = [] {
    struct {
        u128 v[maxPow5 + 1];
    } table {};
    table.v[0] = 1;
    for (int i = 1; i <= maxPow5; ++i)
        table.v[i] = table.v[i - 1] * 5;
    return table;
}();

int bitLength(u128 v)
{
    const auto high = uint64_t(v >> 64);
    if (high)
        return 128 - __builtin_clzll(high);
    const auto low = uint64_t(v);
    return low ? 64 - __builtin_clzll(low) : 0;
}

constexpr auto pow10Table = [] {
    struct {
        u128 v[39];
    } table {};
    table.v[0] = 1;
    for (int i = 1; i < 39; ++i)
        table.v[i] = table.v[i - 1] * 10;
    return table;
}();

u128 pow10(int n)
{
    return pow10Table.v[n];
}

// The exact binary value of finite a > 0 as m * 2^e.
uint64_t decompose(double a, int &e)
{
    uint64_t bits;
    std::memcpy(&bits, &a, sizeof bits);
    const int biased = int(bits >> 52);
    uint64_t m = bits & ((uint64_t(1) << 52) - 1);
    if (biased == 0) {
        e = -1074;
    } else {
        m |= uint64_t(1) << 52;
        e = biased - 1075;
    }
    return m;
}

// out = a * 10^s rounded to nearest, exact ties away from zero, for finite
// a >= 0. Works on the exact binary value of `a`; false when the result or an
// intermediate does not fit in 128 bits.
bool scaledRound(double a, int s, u128 &out)
{
    if (a == 0.0) {
        out = 0;
        return true;
    }
    int e;
    uint64_t m = decompose(a, e);
    const int zeros = __builtin_ctzll(m);
    m >>= zeros;
    e += zeros;

    u128 num;
    u128 den = 1;
    int shift; // num * 2^shift / den
    if (s >= 0) {
        if (s > maxPow5 || bitLength(m) + bitLength(pow5Table.v[s]) > 127)
            return false;
        num = u128(m) * pow5Table.v[s];
        shift = e + s;
    } else {
        if (-s > maxPow5)
            return false;
        num = m;
        den = pow5Table.v[-s];
        shift = e + s;
    }
    if (shift >= 0) {
        if (bitLength(num) + shift > 127)
            return false;
        num <<= shift;
    } else if (den == 1) {
        const int k = -shift;
        if (k >= 128) {
            out = 0; // num < 2^127, so the quotient is below one half
            return true;
        }
        const u128 q = num >> k;
        const u128 r = num - (q << k);
        out = q + (r >= (u128(1) << (k - 1)) ? 1 : 0);
        return true;
    } else {
        if (bitLength(den) - shift > 126)
            return false;
        den <<= -shift;
    }
    const u128 q = num / den;
    const u128 r = num - q * den;
    out = q + (2 * r >= den ? 1 : 0);
    return true;
}

char *writeDigits(char *out, u128 v, int minDigits)
{
    char digits[48];
    int n = 0;
    while (v > UINT64_MAX) {
        digits[n++] = char('0' + int(v % 10));
        v /= 10;
    }
    for (auto small = uint64_t(v); small != 0 || n < minDigits; small /= 10)
        digits[n++] = char('0' + int(small % 10));
    while (n > 0)
        *out++ = digits[--n];
    return out;
}

// n with its last `decimals` digits after a decimal point.
char *writeScaled(char *out, u128 n, int decimals, int integerDigits)
{
    u128 whole;
    u128 fraction;
    if (n <= UINT64_MAX) {
        const auto small = uint64_t(n);
        const auto unit = uint64_t(pow10(decimals));
        whole = small / unit;
        fraction = small % unit;
    } else {
        whole = n / pow10(decimals);
        fraction = n % pow10(decimals);
    }
    out = writeDigits(out, whole, integerDigits);
    if (decimals > 0) {
        *out++ = '.';
        out = writeDigits(out, fraction, decimals);
    }
    return out;
}

char *writeFixed(char *out, double a, const NumberPattern::Section &section)
{
    u128 n;
    if (scaledRound(a, section.decimals, n))
        return writeScaled(out, n, section.decimals, section.integerDigits);
    // Only values far beyond 10^30: whole numbers, whose digits to_chars
    // gives exactly.
    char buffer[NumberFormat::MaxLength];
    const auto result = std::to_chars(
        buffer, buffer + sizeof buffer, a, std::chars_format::fixed, section.decimals);
    const size_t length = size_t(result.ptr - buffer);
    std::memcpy(out, buffer, length);
    return out + length;
}

char *writeScientific(char *out, double a, const NumberPattern::Section &section)
{
    const int d = section.decimals;
    int exponent = 0;
    u128 n = 0;
    if (a != 0.0) {
        // log10(2) times the binary exponent: at most one off, which the
        // loop below corrects.
        int e;
        const uint64_t m = decompose(a, e);
        exponent = int(std::floor((e + 63 - __builtin_clzll(m)) * 0.30102999566398120));
        const u128 low = pow10(d);
        const u128 high = low * 10;
        for (int attempt = 0; attempt < 6; ++attempt) {
            if (!scaledRound(a, d - exponent, n))
                break;
            if (n >= high)
                ++exponent;
            else if (n < low)
                --exponent;
            else
                break;
        }
        if (n < low || n >= high) {
            // Beyond 128-bit reach (never for values a float can hold).
            char buffer[64];
            const auto result = std::to_chars(
                buffer, buffer + sizeof buffer, a, std::chars_format::scientific, d);
            n = 0;
            for (const char *p = buffer; p != result.ptr && *p != 'e'; ++p) {
                if (*p >= '0' && *p <= '9')
                    n = n * 10 + u128(*p - '0');
            }
            const char *e
                = static_cast<const char *>(std::memchr(buffer, 'e', size_t(result.ptr - buffer)));
            std::from_chars(e + 1 + (e[1] == '+'), result.ptr, exponent);
        }
    }
    out = writeScaled(out, n, d, 1);
    *out++ = 'E';
    if (exponent < 0)
        *out++ = '-';
    else if (section.exponentPlus)
        *out++ = '+';
    return writeDigits(out, u128(exponent < 0 ? -exponent : exponent), section.exponentDigits);
}

} // namespace

namespace NumberFormat
{

char *format(char *out, double value, const NumberPattern &pattern)
{
    if (std::isnan(value)) {
        std::memcpy(out, "NaN", 3);
        return out + 3;
    }
    const bool negative = value < 0.0;
    const NumberPattern::Section *section = &pattern.positive();
    if (negative) {
        if (pattern.negative())
            section = pattern.negative();
        else
            *out++ = '-';
    }
    std::memcpy(out, section->prefix, size_t(section->prefixLength));
    out += section->prefixLength;
    const double a = std::fabs(value);
    if (std::isinf(a)) {
        std::memcpy(out, "Infinity", 8);
        return out + 8;
    }
    return section->scientific ? writeScientific(out, a, *section) : writeFixed(out, a, *section);
}

QByteArray formatted(double value, const NumberPattern &pattern)
{
    char buffer[MaxLength];
    return QByteArray(buffer, int(format(buffer, value, pattern) - buffer));
}

QString text(double value, const NumberPattern &pattern)
{
    return QString::fromLatin1(formatted(value, pattern));
}

} // namespace NumberFormat
