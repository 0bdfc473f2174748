// SPDX-License-Identifier: GPL-3.0-or-later
// Display patterns for numbers, as the program writes them into files and
// labels: "0.00000", "00.00000", " 0.00000E+00;-0.00000E+00", "0.000", ...
//
// A pattern has one section, or two separated by ';' (the second is used for
// negative values and applied to the absolute value). A section is literal
// prefix characters, digit placeholders '0' with an optional decimal point,
// and an optional exponent "E+00" (sign always written) or "E-00" (only a
// minus). A single-section pattern writes "-" before a negative value.
//
// Rounding is to nearest on the value's exact decimal expansion, exact ties
// away from zero. The sign section is chosen by comparing the value itself
// with zero: -0.0 is positive, and a tiny negative value keeps its "-".
#pragma once

#include <QByteArray>
#include <QString>

#include <string_view>

class NumberPattern
{
public:
    struct Section {
        char prefix[4] = {};
        int prefixLength = 0;
        int integerDigits = 1;
        int decimals = 0;
        bool scientific = false;
        bool exponentPlus = false;
        int exponentDigits = 0;
    };

    constexpr explicit NumberPattern(std::string_view text)
    {
        const size_t split = text.find(';');
        m_positive = parseSection(text.substr(0, split));
        m_hasNegative = split != std::string_view::npos;
        if (m_hasNegative)
            m_negative = parseSection(text.substr(split + 1));
    }

    const Section &positive() const { return m_positive; }
    const Section *negative() const { return m_hasNegative ? &m_negative : nullptr; }

private:
    static constexpr Section parseSection(std::string_view s)
    {
        Section section;
        size_t i = 0;
        while (i < s.size() && s[i] != '0' && section.prefixLength < 3)
            section.prefix[section.prefixLength++] = s[i++];
        section.integerDigits = 0;
        while (i < s.size() && s[i] == '0') {
            ++section.integerDigits;
            ++i;
        }
        if (i < s.size() && s[i] == '.') {
            ++i;
            while (i < s.size() && s[i] == '0') {
                ++section.decimals;
                ++i;
            }
        }
        if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
            section.scientific = true;
            section.exponentPlus = i + 1 < s.size() && s[i + 1] == '+';
            i += 2;
            while (i < s.size() && s[i] == '0') {
                ++section.exponentDigits;
                ++i;
            }
        }
        return section;
    }

    Section m_positive;
    Section m_negative;
    bool m_hasNegative = false;
};

namespace NumberFormat
{

inline constexpr NumberPattern Fixed5 { "0.00000" };
inline constexpr NumberPattern Fixed5TwoDigits { "00.00000" };
inline constexpr NumberPattern Fixed3 { "0.000" };
inline constexpr NumberPattern Scientific5Signed { " 0.00000E+00;-0.00000E+00" };
inline constexpr NumberPattern Scientific3Signed { " 0.000E+00;-0.000E+00" };
inline constexpr NumberPattern Scientific4 { "0.0000E+00" };
inline constexpr NumberPattern Scientific3 { "0.000E+00" };
inline constexpr NumberPattern Scientific2Plus { "+0.00E+00;-0.00E+00" };
inline constexpr NumberPattern TwoDigits { "00" };
inline constexpr NumberPattern ThreeDigits { "000" };

// Longest text any pattern above produces for any double.
constexpr int MaxLength = 340;

// Writes the text of `value` at `out` and returns the end; `out` must have
// room for MaxLength characters.
char *format(char *out, double value, const NumberPattern &pattern);

QByteArray formatted(double value, const NumberPattern &pattern);
QString text(double value, const NumberPattern &pattern);

} // namespace NumberFormat
