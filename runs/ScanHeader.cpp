// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ScanHeader.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace
{

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

template <typename Int> bool readWhole(QByteArrayView token, Int &value)
{
    const char *first = token.data();
    const char *last = first + token.size();
    if (first != last && *first == '+')
        ++first;
    if (first == last)
        return false;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last;
}

bool readDecimal(QByteArrayView token, double &value)
{
    // from_chars takes no '+' and no Fortran 'D' exponent.
    std::string text(token.data(), size_t(token.size()));
    if (!text.empty() && text.front() == '+')
        text.erase(0, 1);
    bool digits = false;
    for (char &c : text) {
        if (c == 'd' || c == 'D')
            c = 'e';
        else if (c >= '0' && c <= '9')
            digits = true;
        else if (c != '.' && c != 'e' && c != 'E' && c != '-' && c != '+')
            return false; // no "inf", "nan" or hex
    }
    if (!digits)
        return false;
    const auto [end, error] = std::from_chars(
        text.data(), text.data() + text.size(), value, std::chars_format::general);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

} // namespace

std::optional<ScanHeader> ParseScanHeader(QByteArrayView line)
{
    std::vector<QByteArrayView> tokens;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const qsizetype start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start) {
            if (tokens.size() == 8)
                return std::nullopt;
            tokens.push_back(line.sliced(start, i - start));
        }
    }
    if (tokens.size() != 8 || tokens[0].size() != 1 || ScanTypeName(tokens[0][0])[0] == '\0')
        return std::nullopt;
    ScanHeader h;
    h.type = tokens[0][0];
    if (!readWhole(tokens[1], h.cell) || !readDecimal(tokens[2], h.temperature)
        || !readWhole(tokens[3], h.speed) || !readWhole(tokens[4], h.time)
        || !readDecimal(tokens[5], h.omega2t) || !readDecimal(tokens[6], h.wavelength)
        || !readWhole(tokens[7], h.count))
        return std::nullopt;
    return h;
}

LeadingLines ReadLeadingLines(QByteArrayView bytes)
{
    // Lines end at LF, and one CR before it (or at the very end) is part
    // of the line end, as the data-file reader takes them.
    QByteArray lines[2];
    qsizetype at = 0;
    for (QByteArray &line : lines) {
        if (at >= bytes.size())
            break;
        qsizetype end = bytes.indexOf('\n', at);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        if (end > at && bytes[end - 1] == '\r')
            --end;
        line = bytes.sliced(at, end - at).toByteArray();
        at = next;
    }
    return { lines[0], lines[1] };
}

const char *ScanTypeName(char type)
{
    switch (type) {
    case 'R':
        return "Absorbance";
    case 'I':
        return "Intensity";
    case 'P':
        return "Interference";
    case 'F':
        return "Fluorescence";
    case 'W':
        return "Wavelength scan";
    default:
        return "";
    }
}
