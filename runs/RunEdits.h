// SPDX-License-Identifier: GPL-3.0-or-later
// The run window's edits of a run's scans, each group operation one step
// that can be undone and done again. A step keeps only what it changed: the
// flags it changed, point by point, or the scans a split replaced, so a run
// of thousands of scans can carry a long history; the history is bounded by
// the memory it holds as well as by its count of steps.
#pragma once

#include "runs/ColumnLimits.h"
#include "runs/Run.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class RunEdits
{
public:
    // Gives every scan of `run` that has none an id; `run` must outlive this.
    // The history holds at most `maxHistoryBytes` (MaxHistoryBytes unless a
    // test sets less).
    explicit RunEdits(Run &run, size_t maxHistoryBytes = MaxHistoryBytes);
    ~RunEdits();
    RunEdits(const RunEdits &) = delete;
    RunEdits &operator=(const RunEdits &) = delete;

    // Runs `edit` on each of `scans` (indices into the run) as one step
    // named `name`. Only flags, `edited` and `removedByRange` may change;
    // the step keeps the scans that changed. Returns false, and records
    // nothing, when none did.
    bool editFlags(const QString &name, const std::vector<int> &scans,
        const std::function<void(Scan &)> &edit);

    // Replaces each of `scans` by its parts (in the same place, in order) as
    // one step; a scan whose parts are empty stays. The parts get new ids.
    // Returns false when nothing was replaced.
    bool replace(const QString &name, const std::vector<int> &scans,
        const std::function<std::vector<Scan>(const Scan &)> &parts);

    // The solution columns set by hand, kept in the same history as the
    // flags. `startLimits` sets them without a step (those the run was
    // opened with); `setLimits` is one step named `name`, and false, with
    // nothing recorded, when they are the same.
    const std::vector<ColumnLimits> &limits() const { return m_limits; }
    void startLimits(std::vector<ColumnLimits> limits) { m_limits = std::move(limits); }
    bool setLimits(const QString &name, std::vector<ColumnLimits> limits);

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    QString undoName() const;
    QString redoName() const;
    void undo();
    void redo();

    // Changes with every step done, undone or done again.
    uint64_t revision() const { return m_revision; }

    // The index of the scan with this id, or -1.
    int indexOf(uint64_t id) const;

    // Steps kept, and the memory they may hold; the oldest go first, but the
    // step just done always stays.
    static constexpr size_t MaxSteps = 100;
    static constexpr size_t MaxHistoryBytes = size_t(256) << 20;
    // The memory the steps hold now, undone ones included.
    size_t historyBytes() const;

    struct FlagState;

private:
    struct Step;
    void swapAll(std::vector<FlagState> &states);
    void push(std::unique_ptr<Step> step);

    Run &m_run;
    size_t m_maxHistoryBytes;
    uint64_t m_nextId = 1;
    uint64_t m_revision = 0;
    std::vector<std::unique_ptr<Step>> m_undo;
    std::vector<std::unique_ptr<Step>> m_redo;
    std::vector<ColumnLimits> m_limits;
};
