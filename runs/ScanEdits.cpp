// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ScanEdits.h"

#include <algorithm>
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
    const int n = std::min(scan.numPoints, int(scan.points.size() / 3));
    bool inside = false;
    for (int i = 0; i < n && !inside; ++i)
        inside = scan.x(i) >= from && scan.x(i) <= to;
    if (!inside)
        return RangeOutcome::NoPointInside;

    bool changed = false;
    const auto set = [&](int i, float value) {
        float &flag = flagAt(scan, i);
        if (value != flag && !(std::isnan(value) && std::isnan(flag))) {
            flag = value;
            changed = true;
        }
    };
    // What the earlier range removed and this one keeps comes back; what
    // anything else removed stays removed.
    std::vector<int32_t> removed;
    for (int32_t i : scan.removedByRange) {
        if (i < 0 || i >= n)
            continue;
        if (scan.x(i) >= from && scan.x(i) <= to)
            set(i, std::fabs(scan.flag(i)));
        else
            removed.push_back(i);
    }
    // From the first point and from the last, each side up to its first
    // point inside; a point already removed is left to what removed it.
    const auto remove = [&](int i) {
        if (scan.flag(i) > 0.0f) {
            set(i, -scan.flag(i));
            removed.push_back(i);
        }
    };
    for (int i = 0; i < n && scan.x(i) < from; ++i)
        remove(i);
    for (int i = n - 1; i >= 0 && scan.x(i) > to; --i)
        remove(i);
    std::sort(removed.begin(), removed.end());
    removed.erase(std::unique(removed.begin(), removed.end()), removed.end());
    scan.removedByRange = std::move(removed);
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
