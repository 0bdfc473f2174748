// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/LimitsFile.h"

#include "runs/RunReport.h"

#include <array>
#include <cctype>
#include <cmath>
#include <optional>

namespace
{

enum class Field {
    Cell,
    Column,
    Type,
    Wavelength,
    Speed,
    Meniscus,
    Bottom,
    Inner,
    Outer,
    ByHand,
};
constexpr int FieldCount = int(Field::ByHand) + 1;

constexpr std::array<const char *, FieldCount> fieldNames = { "cell", "column", "type",
    "wavelength_nm", "speed_rpm", "meniscus_cm", "bottom_cm", "inner_cm", "outer_cm", "by_hand" };

QByteArray number(double value)
{
    return ReportText(value);
}

QByteArray bandText(const ScanGroup &group)
{
    QByteArray text = number(group.lowestWavelength);
    if (group.highestWavelength != group.lowestWavelength)
        text += '-' + number(group.highestWavelength);
    return text;
}

std::optional<double> readNumber(const QByteArray &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> readWhole(const QByteArray &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// One row's fields read into `limits`; the reason it cannot be, or empty.
QString readRow(const std::array<QByteArray, FieldCount> &f, ColumnLimits &limits)
{
    const auto name = [](Field field) { return QLatin1String(fieldNames[size_t(field)]); };
    for (int i = 0; i < FieldCount; ++i) {
        if (f[size_t(i)].isEmpty())
            return QStringLiteral("no %1").arg(name(Field(i)));
    }
    const auto unreadable = [&](Field field) {
        return QStringLiteral("%1 '%2' cannot be read")
            .arg(name(field), QString::fromLatin1(f[size_t(field)]));
    };
    const auto whole = [&](Field field, int &into) {
        const std::optional<int> value = readWhole(f[size_t(field)]);
        if (value)
            into = *value;
        return value.has_value();
    };
    if (!whole(Field::Cell, limits.cell) || limits.cell < 1)
        return unreadable(Field::Cell);
    if (!whole(Field::Column, limits.column) || limits.column < 0)
        return unreadable(Field::Column);
    if (!whole(Field::Speed, limits.speed) || limits.speed < 0)
        return unreadable(Field::Speed);
    const QByteArray &type = f[size_t(Field::Type)];
    if (type.size() != 1 || !std::isalpha(static_cast<unsigned char>(type[0])))
        return unreadable(Field::Type);
    limits.type = type[0];

    // "280" or "280-281"
    const QByteArray &band = f[size_t(Field::Wavelength)];
    const qsizetype dash = band.indexOf('-', 1);
    const std::optional<double> low = readNumber(dash < 0 ? band : band.left(dash));
    const std::optional<double> high = dash < 0 ? low : readNumber(band.mid(dash + 1));
    if (!low || !high || *high < *low)
        return unreadable(Field::Wavelength);
    limits.lowestWavelength = *low;
    limits.highestWavelength = *high;

    constexpr Field radii[] = { Field::Meniscus, Field::Bottom, Field::Inner, Field::Outer };
    double *into[] = { &limits.values.meniscus, &limits.values.bottom, &limits.values.inner,
        &limits.values.outer };
    for (size_t i = 0; i < std::size(radii); ++i) {
        const std::optional<double> value = readNumber(f[size_t(radii[i])]);
        if (!value)
            return unreadable(radii[i]);
        *into[i] = *value;
    }
    const QByteArray &byHand = f[size_t(Field::ByHand)];
    if (byHand != "yes" && byHand != "no")
        return QStringLiteral("by_hand is '%1', not yes or no").arg(QString::fromLatin1(byHand));
    limits.values.byHand = byHand == "yes";

    const SolutionColumn &v = limits.values;
    const auto notAbove = [&](Field upper, Field lower) {
        return QStringLiteral("%1 is not above %2").arg(name(upper), name(lower));
    };
    if (!(v.inner > v.meniscus))
        return notAbove(Field::Inner, Field::Meniscus);
    if (!(v.outer > v.inner))
        return notAbove(Field::Outer, Field::Inner);
    if (!(v.bottom > v.outer))
        return notAbove(Field::Bottom, Field::Outer);
    return {};
}

} // namespace

QByteArray LimitsCsv(const RunAnalysis &analysis)
{
    QByteArray csv;
    for (int i = 0; i < FieldCount; ++i)
        csv += (i > 0 ? "," : "") + QByteArray(fieldNames[size_t(i)]);
    csv += '\n';
    for (size_t g = 0; g < analysis.groups.groups.size() && g < analysis.columns.size(); ++g) {
        const std::optional<SolutionColumn> &column = analysis.columns[g];
        if (!column)
            continue;
        const ScanGroup &group = analysis.groups.groups[g];
        csv += QByteArray::number(group.cell) + ',' + QByteArray::number(group.column) + ','
            + QByteArray(1, group.type) + ',' + bandText(group) + ','
            + QByteArray::number(group.speed) + ',' + number(column->meniscus) + ','
            + number(column->bottom) + ',' + number(column->inner) + ',' + number(column->outer)
            + ',' + (column->byHand ? "yes" : "no") + '\n';
    }
    return csv;
}

LimitsRead ReadLimitsCsv(const QByteArray &bytes)
{
    LimitsRead read;
    // A spreadsheet may begin the file with a byte order mark and quote
    // fields that need no quotes.
    const QByteArray mark = "\xEF\xBB\xBF";
    const QList<QByteArray> lines = (bytes.startsWith(mark) ? bytes.mid(3) : bytes).split('\n');
    std::array<int, FieldCount> place;
    place.fill(-1);
    bool header = false;
    for (qsizetype l = 0; l < lines.size(); ++l) {
        QByteArray line = lines[l];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        QList<QByteArray> cells = line.split(',');
        for (QByteArray &cell : cells) {
            cell = cell.trimmed();
            if (cell.size() >= 2 && cell.startsWith('"') && cell.endsWith('"'))
                cell = cell.mid(1, cell.size() - 2).trimmed();
        }
        if (!header) {
            for (qsizetype c = 0; c < cells.size(); ++c) {
                for (int i = 0; i < FieldCount; ++i) {
                    if (cells[c] == fieldNames[size_t(i)] && place[size_t(i)] < 0)
                        place[size_t(i)] = int(c);
                }
            }
            QStringList missing;
            for (int i = 0; i < FieldCount; ++i) {
                if (place[size_t(i)] < 0)
                    missing << QLatin1String(fieldNames[size_t(i)]);
            }
            if (!missing.isEmpty()) {
                read.failure = QStringLiteral("line %1: the header row has no %2")
                                   .arg(l + 1)
                                   .arg(missing.join(QStringLiteral(", ")));
                return read;
            }
            header = true;
            continue;
        }
        std::array<QByteArray, FieldCount> fields;
        for (int i = 0; i < FieldCount; ++i) {
            if (place[size_t(i)] < cells.size())
                fields[size_t(i)] = cells[place[size_t(i)]];
        }
        ColumnLimits limits;
        const QString error = readRow(fields, limits);
        if (!error.isEmpty()) {
            read.errors << QStringLiteral("line %1: %2").arg(l + 1).arg(error);
            read.errorLines.push_back(int(l + 1));
            continue;
        }
        read.limits.push_back(limits);
        read.lines.push_back(int(l + 1));
    }
    if (!header)
        read.failure = QStringLiteral("holds no header row");
    return read;
}

std::vector<int> UnmatchedLines(const LimitsRead &read, const RunGroups &groups)
{
    std::vector<int> unmatched;
    for (size_t i = 0; i < read.limits.size(); ++i) {
        bool matched = false;
        for (const ScanGroup &group : groups.groups)
            matched = matched || read.limits[i].matches(group);
        if (!matched)
            unmatched.push_back(i < read.lines.size() ? read.lines[i] : 0);
    }
    return unmatched;
}
