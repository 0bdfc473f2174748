// SPDX-License-Identifier: GPL-3.0-or-later
// The partial specific volume and the solvent density that turn a buoyant
// mass into a mass: one pair, remembered in the settings file, used by the
// run table, the ln c window and every export alike.
#pragma once

#include <QString>

struct Buoyancy {
    double vbar = 0.73; // mL/g
    double density = 1.0; // g/mL
};

// The values a user may give.
constexpr double LowestVbar = 0.1;
constexpr double HighestVbar = 2.0;
constexpr double LowestDensity = 0.5;
constexpr double HighestDensity = 2.0;

// The settings file's section and keys of the pair.
constexpr const char *LnCSection = "LnCPlot";
constexpr const char *VbarKey = "PartialSpecificVolume";
constexpr const char *DensityKey = "Density";

// The pair remembered in `settingsFile`; a value that is missing, not a
// number or out of its range is the default.
Buoyancy RememberedBuoyancy(const QString &settingsFile);

// Remembers the pair in `settingsFile`.
void RememberBuoyancy(const QString &settingsFile, const Buoyancy &pair);
