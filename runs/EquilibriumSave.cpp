// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/EquilibriumSave.h"

#include "runs/ScanEdits.h"

#include <QFileInfo>

#include <cmath>
#include <limits>
#include <map>

QString EquilibriumName(const Scan &scan, const ScanGroup &group, int repeat)
{
    QString name = QStringLiteral("cell%1").arg(group.cell);
    if (group.column > 0)
        name += QStringLiteral("-c%1").arg(group.column);
    name += QStringLiteral("_%1rpm").arg(group.speed);
    // Interference scans carry no wavelength worth naming.
    const double wavelength = scan.header ? scan.header->wavelength : 0.0;
    if (std::isfinite(wavelength) && wavelength > 0.0)
        name += QStringLiteral("_%1nm").arg(std::lround(wavelength));
    if (repeat > 1)
        name += QStringLiteral("_%1").arg(repeat);
    const QString suffix = QFileInfo(scan.name).suffix();
    return suffix.isEmpty() ? name : name + QLatin1Char('.') + suffix;
}

EquilibriumScans EquilibriumScansOf(const Run &run, const RunAnalysis &analysis)
{
    EquilibriumScans chosen;
    std::map<QString, int> taken;
    for (size_t g = 0; g < analysis.groups.groups.size(); ++g) {
        const ScanGroup &group = analysis.groups.groups[g];
        if (g >= analysis.verdicts.size() || !analysis.verdicts[g].reached || group.scans.empty()) {
            chosen.notReached.push_back(int(g));
            continue;
        }
        const int last = group.last();
        Scan copy = run.scans[size_t(last)];
        // The column's fit limits, or the ends the user set in their place.
        const RunOptions options = analysis.optionsOfGroup(int(g));
        if (options.from || options.to) {
            ApplyRange(copy,
                RadiusRange { options.from.value_or(-std::numeric_limits<double>::infinity()),
                    options.to.value_or(std::numeric_limits<double>::infinity()) });
        }
        if (!analysis.columns[g])
            chosen.noColumn.push_back(int(g));
        QString name = EquilibriumName(copy, group);
        for (int repeat = 2; taken.count(name.toLower()) != 0; ++repeat)
            name = EquilibriumName(copy, group, repeat);
        taken[name.toLower()] = int(g);
        copy.name = name;
        chosen.scans.push_back(std::move(copy));
        chosen.groups.push_back(int(g));
        chosen.sources.push_back(last);
    }
    return chosen;
}
