// SPDX-License-Identifier: GPL-3.0-or-later
// The program's version, set once by project() in the top CMakeLists.txt.
#pragma once

#include <QString>

namespace Version
{
constexpr int Major = KELVANE_VERSION_MAJOR;
constexpr int Minor = KELVANE_VERSION_MINOR;
constexpr int Revision = KELVANE_VERSION_PATCH;

// "0.999" for the splash's caption and first line.
inline QString majorMinor()
{
    return QStringLiteral("%1.%2").arg(Major).arg(Minor);
}
} // namespace Version
