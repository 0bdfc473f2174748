// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunReport.h"

#include <QFile>

#include <charconv>
#include <cmath>

namespace
{

constexpr const char *columnNames[ReportColumnCount]
    = { "file", "description", "type", "cell", "wavelength_nm", "speed_rpm", "temperature_c",
          "time_s", "omega2t", "points", "group", "eq_score", "eq_trend", "eq_offset", "eq_points",
          "eq_reached", "eq_since", "sigma", "buoyant_mass", "mass", "fit_points", "fit_rms",
          "mass_se", "baseline", "meniscus_cm", "bottom_cm", "inner_cm", "outer_cm" };

QByteArray shortest(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return QByteArray(text, int(result.ptr - text));
}

} // namespace

const char *ReportColumnName(ReportColumn column)
{
    return columnNames[int(column)];
}

namespace
{

ReportValue cellValue(const Run &run, const RunAnalysis &analysis, int index, ReportColumn column)
{
    const Scan &scan = run.scans[size_t(index)];
    const std::optional<ScanHeader> &h = scan.header;
    switch (column) {
    case ReportColumn::File:
        return QFile::encodeName(scan.path);
    case ReportColumn::Description:
        return scan.description;
    case ReportColumn::Points:
        return int64_t(scan.numPoints);
    default:
        break;
    }
    const int group = analysis.groups.groupOf[size_t(index)];
    if (group >= 0) {
        const ScanGroup &g = analysis.groups.groups[size_t(group)];
        const GroupVerdict &verdict = analysis.verdicts[size_t(group)];
        const ScanCheck &check = analysis.checks[size_t(index)];
        const bool compared = index != g.last();
        switch (column) {
        case ReportColumn::Group:
            return int64_t(g.number);
        case ReportColumn::EqScore:
            return check.score ? ReportValue(*check.score) : ReportValue();
        case ReportColumn::EqTrend:
            return check.score ? ReportValue(check.trend) : ReportValue();
        case ReportColumn::EqOffset:
            return check.score ? ReportValue(check.offset) : ReportValue();
        case ReportColumn::EqPoints:
            return compared ? ReportValue(int64_t(check.points)) : ReportValue();
        case ReportColumn::EqReached:
            return QByteArray(verdict.reached ? "yes" : "no");
        case ReportColumn::EqSince:
            if (verdict.since < 0)
                return {};
            return QFile::encodeName(run.scans[size_t(verdict.since)].name);
        case ReportColumn::MeniscusCm:
        case ReportColumn::BottomCm:
        case ReportColumn::InnerCm:
        case ReportColumn::OuterCm: {
            const std::optional<SolutionColumn> &known = analysis.columns[size_t(group)];
            if (!known) {
                // The meniscus alone, where the base could not be told.
                const std::optional<double> meniscus = size_t(group) < analysis.menisci.size()
                    ? analysis.menisci[size_t(group)]
                    : std::nullopt;
                if (!meniscus)
                    return {};
                if (column == ReportColumn::MeniscusCm)
                    return *meniscus;
                if (column == ReportColumn::InnerCm)
                    return ColumnRadius(*meniscus + MeniscusMargin);
                return {};
            }
            return column == ReportColumn::MeniscusCm ? known->meniscus
                : column == ReportColumn::BottomCm    ? known->bottom
                : column == ReportColumn::InnerCm     ? known->inner
                                                      : known->outer;
        }
        default:
            break;
        }
    }
    if (!h)
        return {};
    const FitSummary &fit = analysis.fits[size_t(index)];
    const auto optional = [](const std::optional<double> &value) {
        return value ? ReportValue(*value) : ReportValue();
    };
    switch (column) {
    case ReportColumn::Type:
        return QByteArray(1, h->type);
    case ReportColumn::Cell:
        return int64_t(h->cell);
    case ReportColumn::Wavelength:
        return h->wavelength;
    case ReportColumn::Speed:
        return int64_t(h->speed);
    case ReportColumn::Temperature:
        return h->temperature;
    case ReportColumn::Time:
        return int64_t(h->time);
    case ReportColumn::Omega2t:
        return h->omega2t;
    case ReportColumn::Sigma:
        return optional(fit.sigma);
    case ReportColumn::BuoyantMass:
        return optional(fit.buoyantMass);
    case ReportColumn::Mass:
        return optional(fit.mass);
    case ReportColumn::FitPoints:
        return int64_t(fit.points);
    case ReportColumn::FitRms:
        return optional(fit.rms);
    default:
        return {};
    }
}

} // namespace

ReportValue ReportCell(const Run &run, const RunAnalysis &analysis, int index, ReportColumn column)
{
    ReportValue value = cellValue(run, analysis, index, column);
    // A header's speed of 0, or a score without noise, gives no number.
    if (const auto *number = std::get_if<double>(&value); number && !std::isfinite(*number))
        return {};
    return value;
}

QByteArray ReportText(const ReportValue &value)
{
    if (const auto *text = std::get_if<QByteArray>(&value)) {
        if (!text->contains(',') && !text->contains('"') && !text->contains('\n')
            && !text->contains('\r'))
            return *text;
        QByteArray quoted = *text;
        quoted.replace('"', "\"\"");
        return '"' + quoted + '"';
    }
    if (const auto *whole = std::get_if<int64_t>(&value))
        return QByteArray::number(qlonglong(*whole));
    if (const auto *number = std::get_if<double>(&value); number && std::isfinite(*number))
        return shortest(*number);
    return {};
}

QByteArray FloatText(double value)
{
    const float held = float(value);
    if (!std::isfinite(held))
        return {};
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, held);
    return QByteArray(text, int(result.ptr - text));
}

QByteArray RunReportCsv(const Run &run, const RunAnalysis &analysis)
{
    QByteArray csv;
    csv.reserve(qsizetype(run.scans.size() + 1) * 160);
    for (int c = 0; c < ReportColumnCount; ++c) {
        if (c > 0)
            csv += ',';
        csv += columnNames[c];
    }
    csv += '\n';
    for (int i = 0; i < int(run.scans.size()); ++i) {
        for (int c = 0; c < ReportColumnCount; ++c) {
            if (c > 0)
                csv += ',';
            csv += ReportText(ReportCell(run, analysis, i, ReportColumn(c)));
        }
        csv += '\n';
    }
    return csv;
}
