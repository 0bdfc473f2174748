// SPDX-License-Identifier: GPL-3.0-or-later
// The run's scans as a table: one row per scan, the report's columns and
// the scan's edits. The model reads the run and its analysis and holds no
// copy; sorting and filtering are the proxy's (RunFilterModel).
#pragma once

#include "runs/RunReport.h"

#include <QAbstractTableModel>

#include <vector>

class RunTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Under these roles: the scan's index in the run, and a value to sort by.
    static constexpr int ScanRole = Qt::UserRole;
    static constexpr int SortRole = Qt::UserRole + 1;

    RunTableModel(const Run &run, const RunAnalysis &analysis, QObject *parent = nullptr);

    // The columns shown, in order.
    const std::vector<ReportColumn> &columns() const { return m_columns; }
    int columnOf(ReportColumn column) const;
    // After the report's columns: what the run window changed in the scan.
    int editsColumn() const;
    static QString editsText(const Scan &scan);

    // The analysis changed (new options): every value is read again.
    void analysisChanged();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const Run &m_run;
    const RunAnalysis &m_analysis;
    std::vector<ReportColumn> m_columns;
};
