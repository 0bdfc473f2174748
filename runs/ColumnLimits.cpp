// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ColumnLimits.h"

#include "runs/Median.h"

#include <algorithm>
#include <map>
#include <tuple>

bool ColumnLimits::matches(const ScanGroup &group) const
{
    return group.cell == cell && group.column == column && group.type == type
        && group.speed == speed && group.lowestWavelength <= highestWavelength
        && lowestWavelength <= group.highestWavelength;
}

ColumnLimits LimitsOf(const ScanGroup &group, const SolutionColumn &values)
{
    return { group.cell, group.column, group.type, group.lowestWavelength, group.highestWavelength,
        group.speed, values };
}

namespace
{

constexpr double SameBase = 0.01; // cm

} // namespace

std::vector<std::optional<SolutionColumn>> FindColumns(
    const Run &run, const RunGroups &groups, std::vector<std::optional<double>> *menisci)
{
    const size_t count = groups.groups.size();
    std::vector<ColumnEnds> ends(count);
    for (size_t g = 0; g < count; ++g) {
        std::vector<ColumnEstimate> estimates;
        for (int index : groups.groups[g].scans) {
            const Scan &scan = run.scans[size_t(index)];
            if (scan.carried) {
                estimates.push_back({ scan.carried->from, scan.carried->to, scan.carried->to });
            } else if (const std::optional<ColumnEstimate> estimate = EstimateColumn(scan)) {
                estimates.push_back(*estimate);
            }
        }
        ends[g] = CombineEstimates(estimates);
    }

    using Key = std::tuple<int, int, int, char, int>;
    const auto keyOf = [&groups](size_t g) {
        const ScanGroup &group = groups.groups[g];
        return Key { group.experiment, group.cell, group.column, group.type, group.speed };
    };
    std::map<Key, std::vector<double>> meniscusOf, bottoms, saturating;
    for (size_t g = 0; g < count; ++g) {
        if (ends[g].meniscus)
            meniscusOf[keyOf(g)].push_back(*ends[g].meniscus);
        if (ends[g].bottom)
            bottoms[keyOf(g)].push_back(*ends[g].bottom);
        else if (ends[g].saturatingBottom)
            saturating[keyOf(g)].push_back(*ends[g].saturatingBottom);
    }
    std::vector<std::optional<SolutionColumn>> columns(count);
    for (size_t g = 0; g < count; ++g) {
        ColumnEnds found = ends[g];
        if (!found.bottom && found.meniscus) {
            const auto others = bottoms.find(keyOf(g));
            if (others != bottoms.end())
                found.bottom = Median(others->second);
        }
        // Readings saturate at a radius that changes with the wavelength;
        // the base stays where it is. Settings of several wavelengths that
        // all end at one radius end at the base.
        if (!found.bottom && found.meniscus) {
            const auto others = saturating.find(keyOf(g));
            if (others != saturating.end() && others->second.size() >= 2) {
                const auto [low, high]
                    = std::minmax_element(others->second.begin(), others->second.end());
                if (*high - *low <= SameBase)
                    found.bottom = Median(others->second);
            }
        }
        if (!found.meniscus && found.bottom) {
            const auto others = meniscusOf.find(keyOf(g));
            if (others != meniscusOf.end())
                found.meniscus = Median(others->second);
        }
        columns[g] = ColumnOf(found);
    }
    if (menisci) {
        menisci->assign(count, std::nullopt);
        for (size_t g = 0; g < count; ++g) {
            if (!columns[g] && ends[g].meniscus)
                (*menisci)[g] = ColumnRadius(*ends[g].meniscus);
        }
    }
    return columns;
}
