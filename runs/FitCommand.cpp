// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/FitCommand.h"

#include "runs/ReportCommand.h"
#include "runs/RunReport.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{

constexpr const char *header
    = "cell,file,speed_rpm,wavelength_nm,temperature_c,inner_cm,outer_cm,points,amplitude,"
      "baseline,rms,cell_scans,cell_points,buoyant_mass,buoyant_mass_se,mass,mass_se,cell_rms\n";

bool wanted(const ScanGroup &group, const FitRequest &request)
{
    if (!request.cells.empty()
        && std::find(request.cells.begin(), request.cells.end(), group.cell) == request.cells.end())
        return false;
    if (!request.speeds.empty()
        && std::find(request.speeds.begin(), request.speeds.end(), group.speed)
            == request.speeds.end())
        return false;
    if (request.wavelengths.empty())
        return true;
    return std::any_of(request.wavelengths.begin(), request.wavelengths.end(), [&](double nm) {
        return nm >= group.lowestWavelength - FitWavelengthMatch
            && nm <= group.highestWavelength + FitWavelengthMatch;
    });
}

// The scans a setting gives its cell's fit, or none when it has not
// reached equilibrium.
std::vector<int> chosenScans(const ScanGroup &group, const GroupVerdict &verdict, FitScans scans)
{
    if (!verdict.reached)
        return {};
    if (scans == FitScans::Last)
        return { group.last() };
    const auto since = std::find(group.scans.begin(), group.scans.end(), verdict.since);
    return std::vector<int>(
        since == group.scans.end() ? group.scans.end() - 1 : since, group.scans.end());
}

QByteArray number(double value)
{
    return ReportText(ReportValue(value));
}

QByteArray whole(int64_t value)
{
    return ReportText(ReportValue(value));
}

void complain(const QString &what, const QString &reason)
{
    std::fprintf(stderr, "kelvane: %s: %s\n", QFile::encodeName(what).constData(),
        reason.toLocal8Bit().constData());
}

} // namespace

QByteArray FitCsvHeader()
{
    return header;
}

QByteArray FitCellName(int cell, int column)
{
    QByteArray name = QByteArray::number(cell);
    if (column > 0)
        name += "-c" + QByteArray::number(column);
    return name;
}

std::vector<CellOfRun> FitCells(
    const Run &run, const RunAnalysis &analysis, const FitRequest &request)
{
    std::vector<CellOfRun> cells;
    const std::vector<ScanGroup> &groups = analysis.groups.groups;
    for (size_t first = 0; first < groups.size();) {
        // The groups of one cell (or split column) of one experiment follow
        // each other.
        size_t end = first + 1;
        while (end < groups.size() && groups[end].experiment == groups[first].experiment
            && groups[end].cell == groups[first].cell && groups[end].column == groups[first].column)
            ++end;
        CellOfRun cell;
        cell.cell = groups[first].cell;
        cell.column = groups[first].column;
        bool any = false;
        for (size_t g = first; g < end; ++g) {
            if (!wanted(groups[g], request))
                continue;
            any = true;
            for (int scan : chosenScans(groups[g], analysis.verdicts[g], request.scans))
                cell.scans.push_back(scan);
        }
        first = end;
        if (!any)
            continue;
        if (cell.scans.empty()) {
            cell.problem = QStringLiteral("no setting at equilibrium");
            cells.push_back(std::move(cell));
            continue;
        }
        std::vector<SpeciesScan> points;
        for (int scan : cell.scans)
            points.push_back(SpeciesScanOf(run.scans[size_t(scan)], analysis.optionsOfScan(scan)));
        cell.fit = FitCell(points, request.options.vbar, request.options.density, request.species);
        if (!cell.fit.fitted()) {
            cell.problem = SpeciesFailureText(cell.fit.failure);
            if (cell.fit.failedScan >= 0)
                cell.problem += QStringLiteral(" (%1)").arg(
                    run.scans[size_t(cell.scans[size_t(cell.fit.failedScan)])].path);
        }
        cells.push_back(std::move(cell));
    }
    return cells;
}

QByteArray FitCsvRows(const Run &run, const RunAnalysis &analysis, const FitRequest &request,
    const std::vector<CellOfRun> &cells)
{
    QByteArray csv;
    for (const CellOfRun &cell : cells) {
        if (!cell.fit.fitted())
            continue;
        const SpeciesFit &fit = cell.fit;
        QByteArray shared = ',' + whole(fit.scans) + ',' + whole(fit.points) + ','
            + number(fit.buoyantMass) + ',' + number(fit.buoyantMassSe) + ','
            + (fit.mass ? number(*fit.mass) : QByteArray()) + ','
            + (fit.massSe ? number(*fit.massSe) : QByteArray()) + ',' + number(fit.rms) + '\n';
        for (size_t k = 0; k < cell.scans.size(); ++k) {
            const int index = cell.scans[k];
            const Scan &scan = run.scans[size_t(index)];
            const SpeciesScanFit &one = fit.perScan[k];
            const RunOptions options = analysis.optionsOfScan(index);
            const auto [lo, hi] = FitRange(GoodPoints(scan, options.ceiling), options);
            csv += FitCellName(cell.cell, cell.column) + ',';
            csv += ReportText(ReportValue(QFile::encodeName(scan.path))) + ',';
            csv += whole(scan.header->speed) + ',' + number(scan.header->wavelength) + ','
                + number(scan.header->temperature) + ',';
            csv += FloatText(lo) + ',' + FloatText(hi) + ',' + whole(one.points) + ',';
            csv += number(one.amplitude) + ','
                + (request.species.baseline ? number(one.baseline) : QByteArray()) + ','
                + number(one.rms);
            csv += shared;
        }
    }
    return csv;
}

int RunFitCommand(const QStringList &paths, const FitRequest &request)
{
    FitRequest chosen = request;
    std::optional<LimitsRead> limits;
    if (!request.limitsFile.isEmpty()) {
        limits = ReadLimitsForCommand(request.limitsFile);
        if (!limits)
            return 2;
        chosen.options.limits = limits->limits;
    }
    std::optional<Run> read = ReadRunForCommand(paths);
    if (!read)
        return 2;
    const Run &run = *read;
    const RunAnalysis analysis = AnalyseRun(run, chosen.options);
    const std::vector<CellOfRun> cells = FitCells(run, analysis, chosen);
    const QByteArray csv = FitCsvHeader() + FitCsvRows(run, analysis, chosen, cells);
    std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
    int status = 0;
    for (const ReadFailure &failure : run.failures) {
        complain(failure.path, failure.reason);
        status = 2;
    }
    if (limits && NameUnusedLimits(request.limitsFile, *limits, analysis.groups))
        status = 2;
    for (int wantedCell : request.cells) {
        const bool found = std::any_of(analysis.groups.groups.begin(), analysis.groups.groups.end(),
            [&](const ScanGroup &group) { return group.cell == wantedCell; });
        if (!found) {
            complain(
                QStringLiteral("cell %1").arg(wantedCell), QStringLiteral("no scans of that cell"));
            status = 2;
        }
    }
    for (const CellOfRun &cell : cells) {
        if (!cell.problem.isEmpty()) {
            complain(
                QStringLiteral("cell ") + QString::fromLatin1(FitCellName(cell.cell, cell.column)),
                cell.problem);
            status = 2;
        }
    }
    if (std::fflush(stdout) != 0) {
        std::perror("kelvane: standard output");
        return 2;
    }
    return status;
}
