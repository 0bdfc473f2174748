// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/RunFilterModel.h"

#include "runwindows/RunTableModel.h"

RunFilterModel::RunFilterModel(const Run &run, QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_run(run)
{
    setSortRole(RunTableModel::SortRole);
    setSortCaseSensitivity(Qt::CaseInsensitive);
}

void RunFilterModel::setCell(std::optional<int> cell)
{
    m_cell = cell;
    invalidateRowsFilter();
}

void RunFilterModel::setType(std::optional<char> type)
{
    m_type = type;
    invalidateRowsFilter();
}

void RunFilterModel::setSpeed(std::optional<int> speed)
{
    m_speed = speed;
    invalidateRowsFilter();
}

void RunFilterModel::setBand(std::optional<WavelengthBand> band)
{
    m_band = band;
    invalidateRowsFilter();
}

bool RunFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (!m_cell && !m_type && !m_speed && !m_band)
        return true;
    if (sourceRow < 0 || size_t(sourceRow) >= m_run.scans.size())
        return false;
    const std::optional<ScanHeader> &h = m_run.scans[size_t(sourceRow)].header;
    if (!h)
        return false;
    return (!m_cell || h->cell == *m_cell) && (!m_type || h->type == *m_type)
        && (!m_speed || h->speed == *m_speed) && (!m_band || m_band->contains(h->wavelength));
}
