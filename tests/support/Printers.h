// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's strings and bytes as text in a failed expectation, instead of a dump
// of the object's bytes. Bytes outside printable ASCII are shown as \xNN, so
// CR LF and padding stay visible.
#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <ostream>

inline void PrintTo(const QByteArray &bytes, std::ostream *os)
{
    *os << '"';
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r')
            *os << "\\r";
        else if (c == '\n')
            *os << "\\n";
        else if (c == '"' || c == '\\')
            *os << '\\' << c;
        else if (u < 0x20 || u >= 0x7f)
            *os << "\\x"
                << "0123456789abcdef"[u >> 4] << "0123456789abcdef"[u & 0xf];
        else
            *os << c;
    }
    *os << "\" (" << bytes.size() << " bytes)";
}

inline void PrintTo(const QString &text, std::ostream *os)
{
    PrintTo(text.toUtf8(), os);
}

inline void PrintTo(const QPoint &p, std::ostream *os)
{
    *os << "(" << p.x() << ", " << p.y() << ")";
}

inline void PrintTo(const QSize &s, std::ostream *os)
{
    *os << s.width() << " x " << s.height();
}

inline void PrintTo(const QRect &r, std::ostream *os)
{
    *os << "(" << r.x() << ", " << r.y() << ") " << r.width() << " x " << r.height();
}
