// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunEdits.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <utility>

struct RunEdits::FlagState {
    uint64_t id = 0;
    std::vector<int32_t> at; // the points whose flag the step changed
    std::vector<float> flags; // the other version of each
    bool edited = false;
    std::vector<int32_t> removedByRange;

    size_t bytes() const
    {
        return sizeof *this + at.capacity() * sizeof(int32_t) + flags.capacity() * sizeof(float)
            + removedByRange.capacity() * sizeof(int32_t);
    }
};

namespace
{

using FlagState = RunEdits::FlagState;

std::vector<float> flagsOf(const Scan &scan)
{
    std::vector<float> flags;
    flags.reserve(size_t(scan.numPoints));
    for (int i = 0; i < scan.numPoints; ++i)
        flags.push_back(scan.flag(i));
    return flags;
}

bool sameFlag(float a, float b)
{
    // -0 and 0 are the same flag, and NaN counts as equal to NaN.
    return a == b || (a != a && b != b);
}

// What changed from `before` (the flags, `edited` and the range's record
// before an edit) to the scan as it is now, as the state to go back to.
FlagState changeOf(const Scan &scan, const std::vector<float> &before, bool edited,
    std::vector<int32_t> removedByRange)
{
    FlagState state { scan.id, {}, {}, edited, std::move(removedByRange) };
    for (int i = 0; i < scan.numPoints; ++i) {
        if (!sameFlag(before[size_t(i)], scan.flag(i))) {
            state.at.push_back(i);
            state.flags.push_back(before[size_t(i)]);
        }
    }
    state.at.shrink_to_fit();
    state.flags.shrink_to_fit();
    return state;
}

// Puts `state` into the scan and keeps the scan's own in its place.
void swapFlags(FlagState &state, Scan &scan)
{
    for (size_t k = 0; k < state.at.size(); ++k)
        std::swap(state.flags[k], scan.points[size_t(3 * state.at[k] + 2)]);
    std::swap(state.edited, scan.edited);
    std::swap(state.removedByRange, scan.removedByRange);
}

size_t scanBytes(const Scan &scan)
{
    return sizeof scan + scan.points.capacity() * sizeof(float) + size_t(scan.comments.capacity())
        + size_t(scan.description.capacity()) + scan.removedByRange.capacity() * sizeof(int32_t)
        + size_t(scan.path.capacity() + scan.name.capacity() + scan.shown.capacity()) * 2;
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
    // A change of the columns set by hand: the other version of them.
    std::optional<std::vector<ColumnLimits>> limits;

    size_t bytes() const
    {
        size_t total
            = sizeof *this + at.capacity() * sizeof(int) + partCounts.capacity() * sizeof(int);
        for (const FlagState &state : flags)
            total += state.bytes();
        for (const Scan &scan : stash)
            total += scanBytes(scan);
        if (limits)
            total += limits->capacity() * sizeof(ColumnLimits);
        return total;
    }
};

RunEdits::RunEdits(Run &run, size_t maxHistoryBytes)
    : m_run(run)
    , m_maxHistoryBytes(maxHistoryBytes)
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
        const std::vector<float> before = flagsOf(scan);
        const bool edited = scan.edited;
        std::vector<int32_t> removedByRange = scan.removedByRange;
        const int points = scan.numPoints;
        edit(scan);
        scan.numPoints = points;
        FlagState change = changeOf(scan, before, edited, std::move(removedByRange));
        if (!change.at.empty() || change.edited != scan.edited
            || change.removedByRange != scan.removedByRange)
            step->flags.push_back(std::move(change));
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

namespace
{

bool sameLimits(const std::vector<ColumnLimits> &a, const std::vector<ColumnLimits> &b)
{
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const ColumnLimits &x, const ColumnLimits &y) {
            return x.cell == y.cell && x.column == y.column && x.type == y.type
                && x.lowestWavelength == y.lowestWavelength
                && x.highestWavelength == y.highestWavelength && x.speed == y.speed
                && x.values == y.values;
        });
}

} // namespace

bool RunEdits::setLimits(const QString &name, std::vector<ColumnLimits> limits)
{
    if (sameLimits(limits, m_limits))
        return false;
    auto step = std::make_unique<Step>();
    step->name = name;
    step->limits = std::move(m_limits);
    m_limits = std::move(limits);
    push(std::move(step));
    return true;
}

void RunEdits::push(std::unique_ptr<Step> step)
{
    ++m_revision;
    m_redo.clear();
    m_undo.push_back(std::move(step));
    // The oldest steps go first; the one just done always stays.
    size_t kept = 0;
    size_t from = m_undo.size();
    while (from > 0 && m_undo.size() - from < MaxSteps) {
        const size_t bytes = m_undo[from - 1]->bytes();
        if (from < m_undo.size() && kept + bytes > m_maxHistoryBytes)
            break;
        kept += bytes;
        --from;
    }
    m_undo.erase(m_undo.begin(), m_undo.begin() + std::ptrdiff_t(from));
}

size_t RunEdits::historyBytes() const
{
    size_t total = 0;
    for (const auto *steps : { &m_undo, &m_redo }) {
        for (const std::unique_ptr<Step> &step : *steps)
            total += step->bytes();
    }
    return total;
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
    if (step->limits)
        std::swap(*step->limits, m_limits);
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
    if (step->limits)
        std::swap(*step->limits, m_limits);
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
