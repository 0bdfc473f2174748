// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunGroups.h"

#include <algorithm>
#include <map>
#include <tuple>

QString ExperimentFolder(const Scan &scan)
{
    const qsizetype slash = scan.path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : scan.path.left(slash);
}

RunGroups GroupScans(const std::vector<Scan> &scans)
{
    RunGroups result;
    result.groupOf.assign(scans.size(), -1);
    std::vector<int> experimentOf(scans.size(), -1);
    std::map<QString, int> experiments;
    std::vector<int> order;
    for (int i = 0; i < int(scans.size()); ++i) {
        if (!scans[size_t(i)].header)
            continue;
        const QString folder = ExperimentFolder(scans[size_t(i)]);
        const auto [place, added] = experiments.emplace(folder, int(result.experiments.size()));
        if (added) {
            const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
            result.experiments.push_back(
                { folder, folder.isEmpty() ? QStringLiteral(".") : folder.mid(slash + 1) });
        }
        experimentOf[size_t(i)] = place->second;
        order.push_back(i);
    }
    // By setting, then wavelength: each setting's scans lie together, and a
    // group is a run of them whose wavelengths step by at most 3 nm.
    const auto key = [&](int i) {
        const ScanHeader &h = *scans[size_t(i)].header;
        return std::make_tuple(experimentOf[size_t(i)], h.cell, scans[size_t(i)].column, h.type,
            h.speed, h.wavelength);
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });
    for (size_t k = 0; k < order.size(); ++k) {
        const int scan = order[k];
        const ScanHeader &h = *scans[size_t(scan)].header;
        const bool starts = k == 0 || [&] {
            const auto [experiment, cell, column, type, speed, nm] = key(order[k - 1]);
            return experiment != experimentOf[size_t(scan)] || cell != h.cell
                || column != scans[size_t(scan)].column || type != h.type || speed != h.speed
                || h.wavelength - nm > WavelengthChain;
        }();
        if (starts) {
            ScanGroup group;
            group.number = int(result.groups.size()) + 1;
            group.experiment = experimentOf[size_t(scan)];
            group.type = h.type;
            group.cell = h.cell;
            group.column = scans[size_t(scan)].column;
            group.speed = h.speed;
            group.lowestWavelength = h.wavelength;
            result.groups.push_back(group);
        }
        ScanGroup &group = result.groups.back();
        group.highestWavelength = h.wavelength;
        group.scans.push_back(scan);
        result.groupOf[size_t(scan)] = int(result.groups.size()) - 1;
    }
    for (ScanGroup &group : result.groups) {
        std::sort(group.scans.begin(), group.scans.end(), [&scans](int a, int b) {
            const int64_t ta = scans[size_t(a)].header->time;
            const int64_t tb = scans[size_t(b)].header->time;
            return ta != tb ? ta < tb : a < b;
        });
    }
    return result;
}

std::vector<WavelengthBand> ChainWavelengths(std::vector<double> wavelengths)
{
    std::sort(wavelengths.begin(), wavelengths.end());
    std::vector<WavelengthBand> bands;
    for (double nm : wavelengths) {
        if (bands.empty() || nm - bands.back().highest > WavelengthChain)
            bands.push_back({ nm, nm });
        else
            bands.back().highest = nm;
    }
    return bands;
}

QString BandText(const WavelengthBand &band)
{
    const QString low = QString::number(band.lowest, 'g', 10);
    if (band.highest == band.lowest)
        return low + QStringLiteral(" nm");
    return low + QLatin1Char('-') + QString::number(band.highest, 'g', 10) + QStringLiteral(" nm");
}
