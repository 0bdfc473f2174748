// SPDX-License-Identifier: GPL-3.0-or-later
// The groups of a run as a tree: cell, then type and wavelength band, then
// speed (one group), under the experiment's folder when the run holds more
// than one; each node with its count of scans and their time span.
// Scans without a header gather under a node of their own.
#pragma once

#include "runs/RunAnalysis.h"

#include <QStandardItemModel>

#include <vector>

class RunTreeModel : public QStandardItemModel
{
    Q_OBJECT

public:
    // On each node's first column: the scans under it (QList<int>), and for
    // a group node its index into RunGroups::groups (-1 on other nodes).
    static constexpr int ScansRole = Qt::UserRole;
    static constexpr int GroupRole = Qt::UserRole + 1;

    RunTreeModel(const Run &run, QObject *parent = nullptr);

    // Built afresh from the analysis' groups.
    void rebuild(const RunAnalysis &analysis);

    // The scans of a node.
    static std::vector<int> scansOf(const QModelIndex &index);
    // The node of group `group` (an index into RunGroups::groups).
    QModelIndex groupIndex(int group) const;

private:
    const Run &m_run;
};

// "Cell 1", "Absorbance, 280-281 nm", "16000 rpm"; the span "2.0-68.0 h".
QString TimeSpanText(const Run &run, const std::vector<int> &scans);
