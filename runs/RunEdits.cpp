// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunEdits.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

struct RunEdits::FlagState {
    uint64_t id = 0;
    std::vector<float> flags;
    bool edited = false;
    std::vector<int32_t> removedByRange;
};

namespace
{

using FlagState = RunEdits::FlagState;

FlagState flagStateOf(const Scan &scan)
{
    FlagState state { scan.id, {}, scan.edited, scan.removedByRange };
    state.flags.reserve(size_t(scan.numPoints));
    for (int i = 0; i < scan.numPoints; ++i)
        state.flags.push_back(scan.flag(i));
    return state;
}

bool sameFlags(const FlagState &state, const Scan &scan)
{
    for (int i = 0; i < scan.numPoints; ++i) {
        const float a = state.flags[size_t(i)];
        const float b = scan.flag(i);
        // -0 and 0 are the same flag, and NaN counts as equal to NaN.
        if (a != b && !(a != a && b != b))
            return false;
    }
    return true;
}

// Puts `state` into the scan and keeps the scan's own in its place.
void swapFlags(FlagState &state, Scan &scan)
{
    for (int i = 0; i < scan.numPoints; ++i)
        std::swap(state.flags[size_t(i)], scan.points[size_t(3 * i + 2)]);
    std::swap(state.edited, scan.edited);
    std::swap(state.removedByRange, scan.removedByRange);
}

} // namespace

void RunEdits::swapAll(std::vector<FlagState> &states)
{
    if (states.empty())
        return;
    std::unordered_map<uint64_t, size_t> places;
    places.reserve(m_run.scans.size());
    for (size_t i = 0; i < m_run.scans.size(); ++i)
        places.emplace(m_run.scans[i].id, i);
    for (FlagState &state : states) {
        const auto place = places.find(state.id);
        if (place != places.end())
            swapFlags(state, m_run.scans[place->second]);
    }
}

struct RunEdits::Step {
    QString name;
    // A flag step: the other version of each scan it changed.
    std::vector<FlagState> flags;
    // A replacement: where each replaced scan stood (ascending), how many
    // parts took its place, and the scans not in the run now (the sources
    // while done, the parts while undone).
    std::vector<int> at;
    std::vector<int> partCounts;
    std::vector<Scan> stash;
    bool undone = false;
};

RunEdits::RunEdits(Run &run)
    : m_run(run)
{
    for (const Scan &scan : m_run.scans)
        m_nextId = std::max(m_nextId, scan.id + 1);
    for (Scan &scan : m_run.scans) {
        if (scan.id == 0)
            scan.id = m_nextId++;
    }
}

RunEdits::~RunEdits() = default;

bool RunEdits::editFlags(
    const QString &name, const std::vector<int> &scans, const std::function<void(Scan &)> &edit)
{
    auto step = std::make_unique<Step>();
    step->name = name;
    for (int index : scans) {
        if (index < 0 || size_t(index) >= m_run.scans.size())
            continue;
        Scan &scan = m_run.scans[size_t(index)];
        FlagState before = flagStateOf(scan);
        const int points = scan.numPoints;
        edit(scan);
        scan.numPoints = points;
        if (!sameFlags(before, scan) || before.edited != scan.edited
            || before.removedByRange != scan.removedByRange)
            step->flags.push_back(std::move(before));
    }
    if (step->flags.empty())
        return false;
    push(std::move(step));
    return true;
}

bool RunEdits::replace(const QString &name, const std::vector<int> &scans,
    const std::function<std::vector<Scan>(const Scan &)> &parts)
{
    std::vector<int> order = scans;
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());
    std::erase_if(order, [this](int i) { return i < 0 || size_t(i) >= m_run.scans.size(); });

    auto step = std::make_unique<Step>();
    step->name = name;
    std::vector<std::vector<Scan>> made;
    for (int index : order) {
        std::vector<Scan> pieces = parts(m_run.scans[size_t(index)]);
        if (pieces.empty())
            continue;
        for (Scan &piece : pieces)
            piece.id = m_nextId++;
        step->at.push_back(index);
        step->partCounts.push_back(int(pieces.size()));
        made.push_back(std::move(pieces));
    }
    if (made.empty())
        return false;
    // From the last, so the places of the earlier ones hold.
    for (size_t k = made.size(); k-- > 0;) {
        const auto place = m_run.scans.begin() + step->at[k];
        step->stash.push_back(std::move(*place));
        const auto after = m_run.scans.erase(place);
        m_run.scans.insert(after, std::make_move_iterator(made[k].begin()),
            std::make_move_iterator(made[k].end()));
    }
    std::reverse(step->stash.begin(), step->stash.end());
    push(std::move(step));
    return true;
}

void RunEdits::push(std::unique_ptr<Step> step)
{
    ++m_revision;
    m_redo.clear();
    m_undo.push_back(std::move(step));
    if (m_undo.size() > MaxSteps)
        m_undo.erase(m_undo.begin());
}

QString RunEdits::undoName() const
{
    return m_undo.empty() ? QString() : m_undo.back()->name;
}

QString RunEdits::redoName() const
{
    return m_redo.empty() ? QString() : m_redo.back()->name;
}

namespace
{

// Where the k-th replaced scan's parts start now, with the parts in.
int partsPlace(const std::vector<int> &at, const std::vector<int> &counts, size_t k)
{
    int place = at[k];
    for (size_t j = 0; j < k; ++j)
        place += counts[j] - 1;
    return place;
}

} // namespace

void RunEdits::undo()
{
    if (m_undo.empty())
        return;
    std::unique_ptr<Step> step = std::move(m_undo.back());
    m_undo.pop_back();
    ++m_revision;
    swapAll(step->flags);
    if (!step->at.empty()) {
        // The sources go back in place of their parts, which are kept.
        std::vector<Scan> parts;
        for (size_t k = step->at.size(); k-- > 0;) {
            const auto first = m_run.scans.begin() + partsPlace(step->at, step->partCounts, k);
            const auto last = first + step->partCounts[k];
            parts.insert(
                parts.begin(), std::make_move_iterator(first), std::make_move_iterator(last));
            const auto after = m_run.scans.erase(first, last);
            m_run.scans.insert(after, std::move(step->stash[k]));
        }
        step->stash = std::move(parts);
    }
    m_redo.push_back(std::move(step));
}

void RunEdits::redo()
{
    if (m_redo.empty())
        return;
    std::unique_ptr<Step> step = std::move(m_redo.back());
    m_redo.pop_back();
    ++m_revision;
    swapAll(step->flags);
    if (!step->at.empty()) {
        std::vector<Scan> sources;
        size_t used = step->stash.size();
        for (size_t k = step->at.size(); k-- > 0;) {
            const auto place = m_run.scans.begin() + step->at[k];
            sources.insert(sources.begin(), std::move(*place));
            const auto after = m_run.scans.erase(place);
            const auto from = step->stash.begin() + std::ptrdiff_t(used) - step->partCounts[k];
            m_run.scans.insert(after, std::make_move_iterator(from),
                std::make_move_iterator(step->stash.begin() + std::ptrdiff_t(used)));
            used -= size_t(step->partCounts[k]);
        }
        step->stash = std::move(sources);
    }
    m_undo.push_back(std::move(step));
}

int RunEdits::indexOf(uint64_t id) const
{
    for (size_t i = 0; i < m_run.scans.size(); ++i) {
        if (m_run.scans[i].id == id)
            return int(i);
    }
    return -1;
}
