// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/GroupEdits.h"

#include "runs/RunEdits.h"
#include "runs/ScanEdits.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace
{

QString tr(const char *text)
{
    return QCoreApplication::translate("GroupEdits", text);
}

} // namespace

RangeReport ApplyRangeTo(
    RunEdits &edits, Run &run, const std::vector<int> &scans, const RadiusRange &range)
{
    RangeReport report;
    edits.editFlags(tr("Apply Range"), scans, [&](Scan &scan) {
        const RangeOutcome outcome = ApplyRange(scan, range);
        if (outcome == RangeOutcome::Changed)
            ++report.changed;
        else if (outcome == RangeOutcome::NoPointInside)
            report.refused.push_back(int(&scan - run.scans.data()));
    });
    return report;
}

SuggestReport RemoveSuggestedFrom(RunEdits &edits, const std::vector<int> &scans,
    const SuggestSettings &settings, const ScanWithin &within)
{
    SuggestReport report;
    edits.editFlags(tr("Remove Suggested"), scans, [&](Scan &scan) {
        std::optional<RadiusRange> range;
        if (within) {
            range = within(scan);
            if (!range)
                return;
        }
        const int n = std::min(scan.numPoints, int(scan.points.size() / 3));
        std::vector<float> before(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            before[size_t(i)] = scan.flag(i);
        const Suggestions found = RemoveSuggested(scan, settings);
        int removed = 0;
        for (size_t i = 0; i < found.kinds.size() && i < before.size(); ++i) {
            // As the radii are held, as a range is applied.
            const float x = scan.x(int(i));
            if (range && !(x >= float(range->from) && x <= float(range->to))) {
                scan.points[3 * i + 2] = before[i];
                continue;
            }
            if (!found.kinds[i].any() || !(before[i] > 0.0f))
                continue;
            ++removed;
            // Each point once, under the first of its kinds, so that the
            // counts add up to the total.
            for (int kind = 0; kind < SuggestKindCount; ++kind) {
                if (found.kinds[i].has(SuggestKind(kind))) {
                    ++report.kinds[size_t(kind)];
                    break;
                }
            }
        }
        report.points += removed;
        if (removed > 0)
            ++report.scans;
    });
    return report;
}

QString SuggestSummary(const SuggestReport &report)
{
    if (report.points == 0)
        return tr("No point was suggested for removal.");
    static const char *const kinds[SuggestKindCount] = { "place-holder rows", "unreliable readings",
        "saturated readings", "spikes", "x out of order" };
    QStringList parts;
    for (int kind = 0; kind < SuggestKindCount; ++kind) {
        if (report.kinds[size_t(kind)] > 0)
            parts << QStringLiteral("%1 %2").arg(report.kinds[size_t(kind)]).arg(tr(kinds[kind]));
    }
    return tr("Removed %1 points from %2 scans: %3.")
        .arg(report.points)
        .arg(report.scans)
        .arg(parts.join(QStringLiteral(", ")));
}

bool TakeEditorFlags(RunEdits &edits, Run &run, int scan, const std::vector<float> &handed,
    const std::vector<float> &flags)
{
    if (scan < 0 || size_t(scan) >= run.scans.size())
        return false;
    const auto same = [](float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    return edits.editFlags(tr("Edit %1").arg(run.scans[size_t(scan)].name), { scan },
        [&handed, &flags, &same](Scan &edited) {
            bool changed = false;
            const size_t count = std::min(flags.size(), handed.size());
            for (int i = 0; i < edited.numPoints && size_t(i) < count; ++i) {
                float &flag = edited.points[size_t(3 * i + 2)];
                if (!same(handed[size_t(i)], flags[size_t(i)]) && !same(flag, flags[size_t(i)])) {
                    flag = flags[size_t(i)];
                    changed = true;
                }
            }
            if (changed)
                edited.edited = true;
        });
}
