// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/RunTree.h"

#include "runs/EquilibriumCheck.h"
#include "runs/Verdict.h"
#include "runwindows/Overlay.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>
#include <map>
#include <tuple>

namespace
{

QList<QStandardItem *> node(
    const Run &run, const QString &text, const std::vector<int> &scans, int group = -1)
{
    auto *name = new QStandardItem(text);
    name->setData(
        QVariant::fromValue(QList<int>(scans.begin(), scans.end())), RunTreeModel::ScansRole);
    name->setData(group, RunTreeModel::GroupRole);
    name->setEditable(false);
    auto *count = new QStandardItem(QString::number(scans.size()));
    count->setEditable(false);
    count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *span = new QStandardItem(TimeSpanText(run, scans));
    span->setEditable(false);
    auto *verdict = new QStandardItem;
    verdict->setEditable(false);
    return { name, count, span, verdict };
}

} // namespace

RunTreeModel::RunTreeModel(const Run &run, QObject *parent)
    : QStandardItemModel(parent)
    , m_run(run)
{
}

void RunTreeModel::rebuild(const RunAnalysis &analysis)
{
    clear();
    setHorizontalHeaderLabels({ QStringLiteral("Setting"), QStringLiteral("Scans"),
        QStringLiteral("Time span"), QStringLiteral("Equilibrium") });
    const std::vector<ScanGroup> &groups = analysis.groups.groups;
    const std::vector<Experiment> &experiments = analysis.groups.experiments;
    // Experiments apart when there are several, each named by its folder;
    // within one, cells in rising order; within a cell, type and band; then
    // speed.
    std::map<std::tuple<int, int, int>, std::vector<int>> byCell; // experiment, cell, column
    for (size_t g = 0; g < groups.size(); ++g)
        byCell[{ groups[g].experiment, groups[g].cell, groups[g].column }].push_back(int(g));
    std::vector<QList<QStandardItem *>> experimentRows;
    if (experiments.size() > 1) {
        for (size_t e = 0; e < experiments.size(); ++e) {
            std::vector<int> scans;
            for (const ScanGroup &group : groups) {
                if (group.experiment == int(e))
                    scans.insert(scans.end(), group.scans.begin(), group.scans.end());
            }
            experimentRows.push_back(node(m_run, experiments[e].name, scans));
            experimentRows.back().front()->setToolTip(experiments[e].folder);
            appendRow(experimentRows.back());
        }
    }
    for (const auto &[where, cellGroups] : byCell) {
        const auto [experiment, cellNumber, column] = where;
        std::vector<int> cellScans;
        std::map<char, std::vector<int>> byType;
        for (int g : cellGroups) {
            const ScanGroup &group = groups[size_t(g)];
            cellScans.insert(cellScans.end(), group.scans.begin(), group.scans.end());
            byType[group.type].push_back(g);
        }
        const QList<QStandardItem *> cellRow = node(m_run, CellText(cellNumber, column), cellScans);
        for (const auto &[type, typeGroups] : byType) {
            std::vector<double> wavelengths;
            for (int g : typeGroups) {
                for (int s : groups[size_t(g)].scans)
                    wavelengths.push_back(m_run.scans[size_t(s)].header->wavelength);
            }
            for (const WavelengthBand &band : ChainWavelengths(wavelengths)) {
                std::vector<int> inBand;
                std::vector<int> bandScans;
                for (int g : typeGroups) {
                    const ScanGroup &group = groups[size_t(g)];
                    if (band.contains(group.lowestWavelength)) {
                        inBand.push_back(g);
                        bandScans.insert(bandScans.end(), group.scans.begin(), group.scans.end());
                    }
                }
                std::stable_sort(inBand.begin(), inBand.end(), [&groups](int a, int b) {
                    return groups[size_t(a)].speed < groups[size_t(b)].speed;
                });
                const QList<QStandardItem *> bandRow = node(m_run,
                    QStringLiteral("%1, %2").arg(QLatin1String(ScanTypeName(type)), BandText(band)),
                    bandScans);
                for (int g : inBand) {
                    const ScanGroup &group = groups[size_t(g)];
                    const QList<QStandardItem *> groupRow
                        = node(m_run, QStringLiteral("%1 rpm").arg(group.speed), group.scans, g);
                    // The group's verdict as a mark, its words as the tip.
                    const bool reached = analysis.verdicts[size_t(g)].reached;
                    const bool judged = group.scans.size() > size_t(ScansBeforeLast);
                    QStandardItem *mark = groupRow.back();
                    mark->setText(reached ? QStringLiteral("reached")
                            : judged      ? QStringLiteral("not reached")
                                          : QStringLiteral("too few scans"));
                    mark->setIcon(QApplication::style()->standardIcon(reached
                            ? QStyle::SP_DialogApplyButton
                            : (judged ? QStyle::SP_MessageBoxWarning
                                      : QStyle::SP_MessageBoxInformation)));
                    mark->setToolTip(VerdictText(m_run, analysis, g));
                    groupRow.front()->setIcon(mark->icon());
                    groupRow.front()->setToolTip(mark->toolTip());
                    bandRow.front()->appendRow(groupRow);
                }
                cellRow.front()->appendRow(bandRow);
            }
        }
        if (experimentRows.empty())
            appendRow(cellRow);
        else
            experimentRows[size_t(experiment)].front()->appendRow(cellRow);
    }
    std::vector<int> loose;
    for (size_t s = 0; s < m_run.scans.size(); ++s) {
        if (analysis.groups.groupOf[s] < 0)
            loose.push_back(int(s));
    }
    if (!loose.empty())
        appendRow(node(m_run, QStringLiteral("Without header"), loose));
}

std::vector<int> RunTreeModel::scansOf(const QModelIndex &index)
{
    const QModelIndex first = index.siblingAtColumn(0);
    const QList<int> scans = first.data(ScansRole).value<QList<int>>();
    return std::vector<int>(scans.begin(), scans.end());
}

QModelIndex RunTreeModel::groupIndex(int group) const
{
    const QModelIndexList found
        = match(index(0, 0), GroupRole, group, 1, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? QModelIndex() : found.constFirst();
}

QString TimeSpanText(const Run &run, const std::vector<int> &scans)
{
    bool any = false;
    int64_t first = 0;
    int64_t last = 0;
    for (int s : scans) {
        const std::optional<ScanHeader> &h = run.scans[size_t(s)].header;
        if (!h)
            continue;
        first = any ? std::min(first, h->time) : h->time;
        last = any ? std::max(last, h->time) : h->time;
        any = true;
    }
    if (!any)
        return {};
    return QStringLiteral("%1-%2 h")
        .arg(double(first) / 3600.0, 0, 'f', 1)
        .arg(double(last) / 3600.0, 0, 'f', 1);
}
