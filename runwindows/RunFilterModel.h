// SPDX-License-Identifier: GPL-3.0-or-later
// The run's table sorted and filtered: by cell, type, speed and wavelength
// band; each filter empty means all.
#pragma once

#include "runs/Run.h"
#include "runs/RunGroups.h"

#include <QSortFilterProxyModel>

#include <optional>

class RunFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    RunFilterModel(const Run &run, QObject *parent = nullptr);

    void setCell(std::optional<int> cell);
    void setType(std::optional<char> type);
    void setSpeed(std::optional<int> speed);
    void setBand(std::optional<WavelengthBand> band);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    const Run &m_run;
    std::optional<int> m_cell;
    std::optional<char> m_type;
    std::optional<int> m_speed;
    std::optional<WavelengthBand> m_band;
};
