// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/NoiseLevel.h"

#include <cmath>

namespace
{

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

std::optional<float> ReadNoiseLevel(const QString &text)
{
    QString number = text.trimmed();
    int i = 0;
    const int length = int(number.size());
    if (i < length && (number[i] == QLatin1Char('+') || number[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    while (i < length && isDigit(number[i])) {
        ++i;
        ++digits;
    }
    if (i < length && number[i] == QLatin1Char('.')) {
        ++i;
        while (i < length && isDigit(number[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < length && QStringLiteral("eEdD").contains(number[i])) {
        number[i] = QLatin1Char('e');
        ++i;
        if (i < length && (number[i] == QLatin1Char('+') || number[i] == QLatin1Char('-')))
            ++i;
        int exponentDigits = 0;
        while (i < length && isDigit(number[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != length)
        return std::nullopt;
    bool ok = false;
    const double value = number.toDouble(&ok);
    // A level beyond single precision would turn every concentration into
    // an infinity.
    if (!ok || !std::isfinite(float(value)))
        return std::nullopt;
    return float(value);
}
