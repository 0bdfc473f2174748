// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/Buoyancy.h"

#include "core/Profile.h"

#include <cmath>

namespace
{

double remembered(
    const QString &file, const char *key, double fallback, double lowest, double highest)
{
    bool ok = false;
    const double value
        = QString::fromLatin1(ProfileReader(file).getString(LnCSection, key, QByteArray(), 64))
              .trimmed()
              .toDouble(&ok);
    return ok && std::isfinite(value) && value >= lowest && value <= highest ? value : fallback;
}

} // namespace

Buoyancy RememberedBuoyancy(const QString &settingsFile)
{
    const Buoyancy defaults;
    return { remembered(settingsFile, VbarKey, defaults.vbar, LowestVbar, HighestVbar),
        remembered(settingsFile, DensityKey, defaults.density, LowestDensity, HighestDensity) };
}

void RememberBuoyancy(const QString &settingsFile, const Buoyancy &pair)
{
    WriteProfileStrings(settingsFile,
        { { LnCSection, VbarKey, QByteArray::number(pair.vbar, 'g', 10) },
            { LnCSection, DensityKey, QByteArray::number(pair.density, 'g', 10) } });
}
