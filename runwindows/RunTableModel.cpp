// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/RunTableModel.h"

#include "runs/Verdict.h"

#include <QStringList>

namespace
{

const char *captionOf(ReportColumn column)
{
    switch (column) {
    case ReportColumn::File:
        return "File";
    case ReportColumn::Description:
        return "Description";
    case ReportColumn::Type:
        return "Type";
    case ReportColumn::Cell:
        return "Cell";
    case ReportColumn::Wavelength:
        return "Wavelength (nm)";
    case ReportColumn::Speed:
        return "Speed (rpm)";
    case ReportColumn::Temperature:
        return "Temperature (\u00b0C)";
    case ReportColumn::Time:
        return "Time (h)";
    case ReportColumn::Omega2t:
        return "\u03c9\u00b2t (rad\u00b2/s)";
    case ReportColumn::Points:
        return "Points";
    case ReportColumn::Group:
        return "Group";
    case ReportColumn::EqScore:
        return "Score";
    case ReportColumn::EqTrend:
        return "Trend";
    case ReportColumn::EqOffset:
        return "Offset";
    case ReportColumn::EqPoints:
        return "Compared";
    case ReportColumn::EqReached:
        return "Reached";
    case ReportColumn::EqSince:
        return "Since";
    case ReportColumn::Sigma:
        return "\u03c3 (cm\u207b\u00b2)";
    case ReportColumn::BuoyantMass:
        return "Buoyant mass (g/mol)";
    case ReportColumn::Mass:
        return "Mass (g/mol)";
    case ReportColumn::FitPoints:
        return "Fitted";
    case ReportColumn::FitRms:
        return "Fit rms";
    default:
        return ReportColumnName(column);
    }
}

// A number as a person reads it in the table; the exact value is in the
// tip and in every export.
QString readable(ReportColumn column, double value)
{
    switch (column) {
    case ReportColumn::Wavelength:
        return QString::number(value, 'g', 6);
    case ReportColumn::Temperature:
        return QString::number(value, 'f', 1);
    case ReportColumn::Time:
        return QString::number(value / 3600.0, 'f', 2);
    case ReportColumn::Omega2t:
        return QString::number(value, 'e', 4);
    case ReportColumn::EqScore:
        return ScoreText(value, 2);
    case ReportColumn::BuoyantMass:
    case ReportColumn::Mass:
        return QString::number(value, 'f', 0);
    case ReportColumn::Sigma:
        return QString::number(value, 'g', 4);
    default:
        return QString::number(value, 'g', 3);
    }
}

} // namespace

RunTableModel::RunTableModel(const Run &run, const RunAnalysis &analysis, QObject *parent)
    : QAbstractTableModel(parent)
    , m_run(run)
    , m_analysis(analysis)
    , m_columns { ReportColumn::File, ReportColumn::Description, ReportColumn::Type,
        ReportColumn::Cell, ReportColumn::Wavelength, ReportColumn::Speed,
        ReportColumn::Temperature, ReportColumn::Time, ReportColumn::Omega2t, ReportColumn::Points,
        ReportColumn::Group, ReportColumn::EqScore, ReportColumn::EqTrend, ReportColumn::EqOffset,
        ReportColumn::EqPoints, ReportColumn::EqReached, ReportColumn::EqSince, ReportColumn::Sigma,
        ReportColumn::BuoyantMass, ReportColumn::Mass, ReportColumn::FitPoints,
        ReportColumn::FitRms }
{
}

int RunTableModel::columnOf(ReportColumn column) const
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i] == column)
            return int(i);
    }
    return -1;
}

void RunTableModel::analysisChanged()
{
    beginResetModel();
    endResetModel();
}

int RunTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_run.scans.size());
}

int RunTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size()) + 1;
}

int RunTableModel::editsColumn() const
{
    return int(m_columns.size());
}

QString RunTableModel::editsText(const Scan &scan)
{
    QStringList parts;
    if (scan.column > 0)
        parts << QStringLiteral("column %1").arg(scan.column);
    if (scan.edited) {
        int removed = 0;
        for (int i = 0; i < scan.numPoints; ++i)
            removed += scan.flag(i) < 0.0f ? 1 : 0;
        parts << QStringLiteral("edited, %1 removed").arg(removed);
    }
    return parts.join(QStringLiteral("; "));
}

QVariant RunTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const int scan = index.row();
    if (role == ScanRole)
        return scan;
    if (index.column() == editsColumn()) {
        if (role == Qt::ToolTipRole)
            return QStringLiteral("What the run window changed in this scan; nothing is written "
                                  "until it is saved");
        if (role != Qt::DisplayRole && role != SortRole)
            return {};
        return editsText(m_run.scans[size_t(scan)]);
    }
    const ReportColumn column = m_columns[size_t(index.column())];
    if (role == Qt::ToolTipRole && column == ReportColumn::File)
        return m_run.scans[size_t(scan)].path;
    if (role != Qt::DisplayRole && role != SortRole && role != Qt::ToolTipRole)
        return {};
    if (column == ReportColumn::File)
        return role == Qt::ToolTipRole ? QVariant() : QVariant(m_run.scans[size_t(scan)].shown);
    const ReportValue value = ReportCell(m_run, m_analysis, scan, column);
    const auto *number = std::get_if<double>(&value);
    if (role == SortRole) {
        if (const auto *whole = std::get_if<int64_t>(&value))
            return double(*whole);
        if (number)
            return *number;
    }
    if (role == Qt::ToolTipRole) {
        if (column == ReportColumn::Time && std::holds_alternative<int64_t>(value))
            return QStringLiteral("%1 s").arg(QString::fromLatin1(ReportText(value)));
        return number ? QVariant(QString::fromLatin1(ReportText(value))) : QVariant();
    }
    if (const auto *text = std::get_if<QByteArray>(&value))
        return QString::fromLatin1(*text);
    if (std::holds_alternative<std::monostate>(value))
        return {};
    if (column == ReportColumn::Time)
        return readable(column, double(std::get<int64_t>(value)));
    if (number)
        return readable(column, *number);
    return QString::fromLatin1(ReportText(value));
}

QVariant RunTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == editsColumn()) {
        if (role == Qt::DisplayRole)
            return QStringLiteral("Edits");
        return {};
    }
    const ReportColumn column = m_columns[size_t(section)];
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(captionOf(column));
    if (role == Qt::ToolTipRole)
        return QStringLiteral("Report column \"%1\"").arg(QLatin1String(ReportColumnName(column)));
    return {};
}
