// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/DataFileText.h"

#include "core/NumberFormat.h"
#include "core/ProgramState.h"

#include <cstring>

void AppendPointLine(QByteArray &out, const char *lead, double x, const NumberPattern &xPattern,
    float conc, float flag, int flagGap)
{
    char line[3 * NumberFormat::MaxLength + 16];
    char *p = line;
    const size_t leadLength = std::strlen(lead);
    std::memcpy(p, lead, leadLength);
    p += leadLength;
    p = NumberFormat::format(p, x, xPattern);
    std::memcpy(p, "   ", 3);
    p = NumberFormat::format(p + 3, conc, NumberFormat::Scientific5Signed);
    std::memset(p, ' ', size_t(flagGap));
    p = NumberFormat::format(p + flagGap, flag, NumberFormat::Scientific3Signed);
    while (p > line && p[-1] == ' ')
        --p;
    out.append(line, int(p - line));
}

QByteArray EditedDataText(
    const char *comments, int numComments, const float *points, int first, int last, bool Radius)
{
    QByteArray text;
    for (int k = 0; k < numComments; ++k) {
        text.append(comments + size_t(k) * CommentSlotLength, CommentSlotLength);
        text += "\r\n";
    }
    if (last >= first)
        text.reserve(text.size() + (last - first + 1) * 42);
    for (int i = first; i <= last; ++i) {
        const float *point = points + size_t(3) * size_t(i - 1);
        if (Radius) {
            AppendPointLine(text, "   ", point[0], NumberFormat::Fixed5, point[1], point[2], 3);
        } else {
            const double x = point[0];
            AppendPointLine(
                text, "  ", x * x / 2.0, NumberFormat::Fixed5TwoDigits, point[1], point[2], 3);
        }
        text += "\r\n";
    }
    return text;
}
