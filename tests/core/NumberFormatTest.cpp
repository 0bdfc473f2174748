// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/NumberFormat.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace
{

struct Row {
    const char *name;
    double value;
    const NumberPattern &pattern;
    const char *text;
};

} // namespace

TEST(NumberFormat, Patterns)
{
    using namespace NumberFormat;
    const Row rows[] = {
        { "fixed", 6.5, Fixed5, "6.50000" },
        { "fixed rounds", double(7.1234567f), Fixed5, "7.12346" },
        { "fixed negative", -0.25, Fixed5, "-0.25000" },
        { "fixed large", double(123456.78f), Fixed5, "123456.78125" },
        { "fixed beyond 128 bits", double(3.0e38f), Fixed5,
            "300000000549775575777803994281145270272.00000" },
        { "two digits", 3.125, Fixed5TwoDigits, "03.12500" },
        { "two digits wide", 21.125, Fixed5TwoDigits, "21.12500" },
        { "two digits grows", 123.4, Fixed5TwoDigits, "123.40000" },
        { "R^2/2 of 15", 112.5, Fixed5TwoDigits, "112.50000" },
        { "conc", double(0.1234567f), Scientific5Signed, " 1.23457E-01" },
        { "conc negative", -2.0, Scientific5Signed, "-2.00000E+00" },
        { "conc zero", 0.0, Scientific5Signed, " 0.00000E+00" },
        { "conc negative zero", -0.0, Scientific5Signed, " 0.00000E+00" },
        { "conc large", 123456.0, Scientific5Signed, " 1.23456E+05" },
        { "conc carry", double(9.999996f), Scientific5Signed, " 1.00000E+01" },
        { "conc tiny", double(1.4e-45f), Scientific5Signed, " 1.40130E-45" },
        { "conc float max", double(FLT_MAX), Scientific5Signed, " 3.40282E+38" },
        { "flag", 1.0, Scientific3Signed, " 1.000E+00" },
        { "flag negative", -1.0, Scientific3Signed, "-1.000E+00" },
        { "flag 250", 250.0, Scientific3Signed, " 2.500E+02" },
        { "flag 100", 100.0, Scientific3Signed, " 1.000E+02" },
        { "read-out x", 6.5, Scientific4, "6.5000E+00" },
        { "read-out negative", -6.5, Scientific4, "-6.5000E+00" },
        { "read-out y", double(0.1235f), Scientific3, "1.235E-01" },
        { "label", 5.75, Fixed3, "5.750" },
        { "label negative", -0.5, Fixed3, "-0.500" },
        { "exponent text", 320.0, Scientific2Plus, "+3.20E+02" },
        { "exponent text small", 0.001, Scientific2Plus, "+1.00E-03" },
        { "exponent text negative", -5.75, Scientific2Plus, "-5.75E+00" },
        { "section number", 3.0, TwoDigits, "03" },
        { "key number", 12.0, ThreeDigits, "012" },
        // Exact ties on the binary value go away from zero.
        { "tie fixed", 0.015625, Fixed5, "0.01563" },
        { "tie fixed negative", -0.015625, Fixed5, "-0.01563" },
        { "tie three", 0.0625, Fixed3, "0.063" },
        { "tie scientific", 1234565.0, Scientific5Signed, " 1.23457E+06" },
        // A tiny negative value keeps its sign.
        { "tiny negative", -1e-9, Fixed5, "-0.00000" },
        { "nearly a tie is not one", 0.125000001, Fixed3, "0.125" },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(formatted(row.value, row.pattern), QByteArray(row.text));
    }
}

TEST(NumberFormat, NonFiniteValuesHaveAText)
{
    using namespace NumberFormat;
    EXPECT_EQ(formatted(std::numeric_limits<double>::infinity(), Scientific5Signed), " Infinity");
    EXPECT_EQ(formatted(-std::numeric_limits<double>::infinity(), Fixed5), "-Infinity");
    EXPECT_EQ(formatted(std::nan(""), Fixed5), "NaN");
}

// Every float written with six significant digits reads back to within half
// a unit of the last digit: the formatter never drops or invents a digit.
TEST(NumberFormat, ScientificAgreesWithTheValue)
{
    float v = 1e-30f;
    for (int i = 0; i < 20000; ++i) {
        v = std::nextafter(v * 1.0123f, FLT_MAX);
        const QByteArray text = NumberFormat::formatted(v, NumberFormat::Scientific5Signed);
        const double back = text.trimmed().toDouble();
        ASSERT_LE(std::fabs(back - v), std::fabs(v) * 5.0000001e-6) << text.constData();
    }
}
