// SPDX-License-Identifier: GPL-3.0-or-later
// The files opened last, newest first, for the File menu: at most eight,
// each once. Plain list logic; the settings file keeps it between runs and
// the main window shows it.
#pragma once

#include <QString>
#include <QStringList>

class RecentFileList
{
public:
    static constexpr int Capacity = 8;

    // Puts `path` first, taking out an earlier copy of it; the oldest entry
    // falls off beyond Capacity. An empty path is ignored.
    void push(const QString &path);
    // Takes `path` off the list; false when it was not on it.
    bool remove(const QString &path);
    // Replaces the list, oldest last: empty entries and repeats are dropped,
    // and only the first Capacity kept.
    void assign(const QStringList &paths);

    const QStringList &paths() const { return m_paths; }
    int size() const { return int(m_paths.size()); }

private:
    QStringList m_paths;
};
