// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ScanEdits.h"

#include <cmath>

namespace
{

float &flagAt(Scan &scan, int i)
{
    return scan.points[size_t(3 * i + 2)];
}

} // namespace

RangeOutcome ApplyRange(Scan &scan, const RadiusRange &range)
{
    // In single precision, as the radii are held and as the editor compares
    // them: a range typed as 6.1 keeps the point read as 6.1.
    const float from = float(range.from);
    const float to = float(range.to);
    const int n = scan.numPoints;
    bool inside = false;
    for (int i = 0; i < n && !inside; ++i)
        inside = scan.x(i) >= from && scan.x(i) <= to;
    if (!inside)
        return RangeOutcome::NoPointInside;

    std::optional<float> beforeFrom;
    std::optional<float> beforeTo;
    if (scan.range) {
        beforeFrom = float(scan.range->from);
        beforeTo = float(scan.range->to);
    }
    bool changed = false;
    const auto set = [&](int i, bool keep) {
        float &flag = flagAt(scan, i);
        const float now = keep ? std::fabs(flag) : -std::fabs(flag);
        if (now != flag && !(std::isnan(now) && std::isnan(flag))) {
            flag = now;
            changed = true;
        }
    };
    // From the first point: remove while before the range; on reaching it,
    // restore what the earlier range had removed; stop past both.
    for (int i = 0; i < n; ++i) {
        const float x = scan.x(i);
        if (x < from)
            set(i, false);
        else if (beforeFrom && x < *beforeFrom && x <= to)
            set(i, true);
        else
            break;
    }
    for (int i = n - 1; i >= 0; --i) {
        const float x = scan.x(i);
        if (x > to)
            set(i, false);
        else if (beforeTo && x > *beforeTo && x >= from)
            set(i, true);
        else
            break;
    }
    scan.range = range;
    if (changed)
        scan.edited = true;
    return changed ? RangeOutcome::Changed : RangeOutcome::Unchanged;
}

Suggestions RemoveSuggested(Scan &scan, const SuggestSettings &settings)
{
    const size_t n = size_t(scan.numPoints);
    std::vector<float> x(n), conc(n), flag(n);
    for (size_t i = 0; i < n; ++i) {
        x[i] = scan.points[3 * i];
        conc[i] = scan.points[3 * i + 1];
        flag[i] = scan.points[3 * i + 2];
    }
    Suggestions found = SuggestBadPoints(ScanPoints { x, conc, flag }, settings);
    for (size_t i = 0; i < found.kinds.size() && i < n; ++i) {
        if (!found.kinds[i].any())
            continue;
        float &f = flagAt(scan, int(i));
        const float removed = -std::fabs(f);
        if (removed != f) {
            f = removed;
            scan.edited = true;
        }
    }
    return found;
}

std::pair<int, int> FirstLastGood(const Scan &scan)
{
    const int n = scan.numPoints;
    int first = 1;
    int last = n;
    for (int i = 0; i < n; ++i) {
        if (scan.flag(i) > 0.0f) {
            first = i + 1;
            break;
        }
    }
    for (int i = n - 1; i >= first - 1; --i) {
        if (scan.flag(i) > 0.0f) {
            last = i + 1;
            break;
        }
    }
    return { first, last };
}
