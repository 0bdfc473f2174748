// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ChannelPlan.h"

#include "runs/ChannelSplit.h"
#include "runs/RunEdits.h"

#include <QCoreApplication>

#include <map>
#include <set>

namespace
{

bool splittable(const Scan &scan)
{
    return scan.header && scan.column == 0;
}

} // namespace

std::vector<ChannelSetting> ProposeChannels(const Run &run, const std::vector<int> &scans)
{
    std::set<int> cells;
    for (int index : scans) {
        if (index >= 0 && size_t(index) < run.scans.size() && splittable(run.scans[size_t(index)]))
            cells.insert(run.scans[size_t(index)].header->cell);
    }
    std::map<std::pair<int, int>, std::vector<const Scan *>> settings;
    for (const Scan &scan : run.scans) {
        if (splittable(scan) && cells.count(scan.header->cell) != 0)
            settings[{ scan.header->cell, scan.header->speed }].push_back(&scan);
    }
    std::vector<ChannelSetting> proposals;
    for (const auto &[key, members] : settings) {
        std::vector<RadiusRange> columns = ProposeColumns(members);
        if (columns.size() > 1)
            proposals.push_back({ key.first, key.second, std::move(columns) });
    }
    return proposals;
}

std::vector<int> ScansOf(const Run &run, const ChannelSetting &setting)
{
    std::vector<int> scans;
    for (size_t i = 0; i < run.scans.size(); ++i) {
        const Scan &scan = run.scans[i];
        if (splittable(scan) && scan.header->cell == setting.cell
            && scan.header->speed == setting.speed)
            scans.push_back(int(i));
    }
    return scans;
}

bool SplitChannels(RunEdits &edits, const Run &run, const std::vector<ChannelSetting> &settings)
{
    std::vector<int> scans;
    std::map<int, const ChannelSetting *> settingOf;
    for (const ChannelSetting &setting : settings) {
        if (setting.columns.size() < 2)
            continue;
        for (int index : ScansOf(run, setting)) {
            scans.push_back(index);
            settingOf[index] = &setting;
        }
    }
    if (scans.empty())
        return false;
    // The parts are made in run order, so the lookup goes by the scan itself.
    std::map<uint64_t, const ChannelSetting *> byId;
    for (const auto &[index, setting] : settingOf)
        byId[run.scans[size_t(index)].id] = setting;
    return edits.replace(QCoreApplication::translate("RunEdits", "Split Channels"), scans,
        [&byId](const Scan &scan) {
            const auto found = byId.find(scan.id);
            return found == byId.end() ? std::vector<Scan>()
                                       : SplitScan(scan, found->second->columns);
        });
}
