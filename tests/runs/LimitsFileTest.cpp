// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/LimitsFile.h"

#include "core/NumLib.h"
#include "runs/ChannelPlan.h"
#include "runs/GoodPoints.h"
#include "runs/RunEdits.h"
#include "runs/RunReader.h"
#include "runs/RunReport.h"
#include "support/CommandSupport.h"
#include "support/RunGenerator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <map>
#include <numeric>

namespace
{

RunPlan realPlan(unsigned seed)
{
    RunPlan plan;
    plan.seed = seed;
    plan.realArtifacts = true;
    plan.cells = { 1, 2 };
    plan.speeds = { { 16000, 8, 2.0 }, { 24000, 6, 2.0 } };
    plan.columnShiftPerSpeed = 0.003;
    return plan;
}

::Run readRun(const QString &root)
{
    NumLib numlib;
    return ReadRun({ root }, numlib);
}

std::vector<int> everyScan(const ::Run &run)
{
    std::vector<int> all(run.scans.size());
    std::iota(all.begin(), all.end(), 0);
    return all;
}

const QByteArray header
    = "cell,column,type,wavelength_nm,speed_rpm,meniscus_cm,bottom_cm,inner_cm,outer_cm,by_hand";

// A report line's fields, quotes taken off.
QList<QByteArray> fields(const QByteArray &line)
{
    QList<QByteArray> out { QByteArray() };
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"')
            out.back() += line[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            out << QByteArray();
        else
            out.back() += c;
    }
    return out;
}

// The report's rows by file.
std::map<QByteArray, QList<QByteArray>> reportRows(const QByteArray &csv)
{
    std::map<QByteArray, QList<QByteArray>> rows;
    const QList<QByteArray> lines = csv.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (!lines[i].isEmpty())
            rows[fields(lines[i]).front()] = fields(lines[i]);
    }
    return rows;
}

} // namespace

TEST(LimitsFile, ReadsBackTheColumnsItWritesExactly)
{
    TestFolder folder;
    const QString root = folder.path(QStringLiteral("run"));
    ASSERT_TRUE(WriteRun(GenerateRun(realPlan(4)), root));
    const ::Run run = readRun(root);
    RunAnalysis found = AnalyseRun(run);
    ASSERT_EQ(found.groups.groups.size(), 12u);
    // One column moved by hand, with limits of its own, and one whose
    // radii need every digit.
    RunOptions options;
    options.limits.push_back(LimitsOf(found.groups.groups[2], { 6.81234, 7.1, 6.85, 7.0, true }));
    options.limits.push_back(
        LimitsOf(found.groups.groups[5], { 6.8 + 1e-5, 7.1 - 1e-5, 6.9, 7.0, true }));
    const RunAnalysis analysis = AnalyseRun(run, options);
    const size_t known = size_t(std::count_if(analysis.columns.begin(), analysis.columns.end(),
        [](const std::optional<SolutionColumn> &column) { return column.has_value(); }));
    ASSERT_GE(known, 4u);
    const QByteArray csv = LimitsCsv(analysis);
    EXPECT_EQ(size_t(csv.count('\n')), known + 1) << "a row a setting with a column";
    EXPECT_TRUE(csv.startsWith(header + '\n'));
    EXPECT_TRUE(csv.endsWith('\n'));
    EXPECT_TRUE(csv.contains(",6.81234,7.1,6.85,7,yes\n")) << csv.toStdString();
    EXPECT_TRUE(csv.contains(",no\n"));

    QByteArray crlf = csv;
    crlf.replace("\n", "\r\n");
    // The same columns in another order with one more, blank lines between.
    QByteArray shuffled = "by_hand,outer_cm,inner_cm,bottom_cm,meniscus_cm,note,speed_rpm,"
                          "wavelength_nm,type,column,cell\n\n";
    const QList<QByteArray> lines = csv.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        QList<QByteArray> f = lines[i].split(',');
        shuffled += f[9] + ',' + f[8] + ',' + f[7] + ',' + f[6] + ',' + f[5] + ",x," + f[4] + ','
            + f[3] + ',' + f[2] + ',' + f[1] + ',' + f[0] + "\n\n";
    }
    // As a spreadsheet saves it: a byte order mark, every field quoted.
    QByteArray spreadsheet = "\xEF\xBB\xBF\"" + csv;
    spreadsheet.chop(1);
    spreadsheet.replace(",", "\",\"").replace("\n", "\"\r\n\"");
    spreadsheet += "\"\r\n";
    const struct {
        const char *name;
        QByteArray bytes;
    } rows[] = { { "as written", csv }, { "CR LF", crlf }, { "reordered", shuffled },
        { "from a spreadsheet", spreadsheet } };
    for (const auto &row : rows) {
        const LimitsRead read = ReadLimitsCsv(row.bytes);
        EXPECT_TRUE(read.failure.isEmpty()) << row.name;
        EXPECT_TRUE(read.errors.isEmpty()) << row.name << read.errors.join(u'|').toStdString();
        EXPECT_EQ(read.limits.size(), known) << row.name;
        EXPECT_TRUE(UnmatchedLines(read, analysis.groups).empty()) << row.name;
        RunOptions again;
        again.limits = read.limits;
        const RunAnalysis applied = AnalyseRun(run, again);
        ASSERT_EQ(applied.columns.size(), analysis.columns.size());
        for (size_t g = 0; g < applied.columns.size(); ++g) {
            std::optional<SolutionColumn> expected = analysis.columns[g];
            if (expected)
                expected->byHand = true; // every column applied from limits is
            EXPECT_EQ(applied.columns[g], expected) << row.name << " group " << g;
        }
    }
    EXPECT_EQ(ReadLimitsCsv(shuffled).lines.front(), 3) << "lines counted with the blank ones";
}

TEST(LimitsFile, RowsThatCannotBeReadAreNamedAndTheRestKept)
{
    const QByteArray good = "1,0,R,280-281,16000,6.8,7.12,6.82,7.09,no";
    const struct {
        const char *name;
        QByteArray row;
        QString error; // empty: read
    } rows[] = {
        { "good", good, {} },
        { "one nanometre", "1,0,R,280,16000,6.8,7.12,6.82,7.09,yes", {} },
        { "a field missing", "1,0,R,280,16000,6.8,7.12,6.82,7.09", "no by_hand" },
        { "a field empty", "1,0,R,280,16000,,7.12,6.82,7.09,no", "no meniscus_cm" },
        { "a word for a radius", "1,0,R,280,16000,6.8,base,6.82,7.09,no",
            "bottom_cm 'base' cannot be read" },
        { "a fraction of a cell", "1.5,0,R,280,16000,6.8,7.12,6.82,7.09,no",
            "cell '1.5' cannot be read" },
        { "a band upside down", "1,0,R,281-280,16000,6.8,7.12,6.82,7.09,no",
            "wavelength_nm '281-280' cannot be read" },
        { "a long type", "1,0,RA,280,16000,6.8,7.12,6.82,7.09,no", "type 'RA' cannot be read" },
        { "by hand maybe", "1,0,R,280,16000,6.8,7.12,6.82,7.09,maybe",
            "by_hand is 'maybe', not yes or no" },
        { "inner at the meniscus", "1,0,R,280,16000,6.8,7.12,6.8,7.09,no",
            "inner_cm is not above meniscus_cm" },
        { "limits crossed", "1,0,R,280,16000,6.8,7.12,6.9,6.85,no",
            "outer_cm is not above inner_cm" },
        { "outer past the bottom", "1,0,R,280,16000,6.8,7.12,6.82,7.13,no",
            "bottom_cm is not above outer_cm" },
    };
    for (const auto &row : rows) {
        const LimitsRead read = ReadLimitsCsv(header + '\n' + good + '\n' + row.row + '\n');
        EXPECT_TRUE(read.failure.isEmpty()) << row.name;
        if (row.error.isEmpty()) {
            EXPECT_TRUE(read.errors.isEmpty()) << row.name << read.errors.join(u'|').toStdString();
            EXPECT_EQ(read.lines, (std::vector<int> { 2, 3 })) << row.name;
        } else {
            EXPECT_EQ(read.errors, QStringList { QStringLiteral("line 3: ") + row.error })
                << row.name;
            EXPECT_EQ(read.errorLines, std::vector<int> { 3 }) << row.name;
            EXPECT_EQ(read.lines, std::vector<int> { 2 }) << row.name;
        }
    }
    const LimitsRead read = ReadLimitsCsv(header + '\n' + good + '\n');
    ASSERT_EQ(read.limits.size(), 1u);
    EXPECT_EQ(read.limits[0].lowestWavelength, 280.0);
    EXPECT_EQ(read.limits[0].highestWavelength, 281.0);
    EXPECT_EQ(read.limits[0].values, (SolutionColumn { 6.8, 7.12, 6.82, 7.09, false }));

    const struct {
        const char *name;
        QByteArray bytes;
        QString failure;
    } files[] = {
        { "empty", "", QStringLiteral("holds no header row") },
        { "blank lines alone", "\n\r\n\n", QStringLiteral("holds no header row") },
        { "no header", good + '\n',
            QStringLiteral("line 1: the header row has no cell, column, type, wavelength_nm, "
                           "speed_rpm, meniscus_cm, bottom_cm, inner_cm, outer_cm, by_hand") },
        { "a column short", "cell,column,type,wavelength_nm,speed_rpm,meniscus_cm,bottom_cm\n",
            QStringLiteral("line 1: the header row has no inner_cm, outer_cm, by_hand") },
    };
    for (const auto &file : files) {
        const LimitsRead failed = ReadLimitsCsv(file.bytes);
        EXPECT_EQ(failed.failure, file.failure) << file.name;
        EXPECT_TRUE(failed.limits.empty()) << file.name;
    }
}

TEST(LimitsFile, TheReportTakesTheColumnsOfALimitsFile)
{
    TestFolder folder;
    const QString root = folder.path(QStringLiteral("run"));
    ASSERT_TRUE(WriteRun(GenerateRun(realPlan(5)), root));
    const ::Run run = readRun(root);
    const QByteArray saved = LimitsCsv(AnalyseRun(run));
    const QString file = folder.write(QStringLiteral("limits.csv"), saved);

    // The file's columns as the window applies them, value for value.
    RunOptions options;
    options.limits = ReadLimitsCsv(saved).limits;
    const RunAnalysis analysis = AnalyseRun(run, options);
    const Finished report
        = kelvane({ QStringLiteral("--report"), QStringLiteral("--limits"), file, root });
    EXPECT_EQ(report.status, 0) << report.err.toStdString();
    EXPECT_EQ(report.err, QByteArray());
    EXPECT_EQ(report.out, RunReportCsv(run, analysis));
    const std::map<QByteArray, QList<QByteArray>> rows = reportRows(report.out);
    ASSERT_EQ(rows.size(), run.scans.size());
    for (size_t i = 0; i < run.scans.size(); ++i) {
        const QList<QByteArray> &row = rows.at(QFile::encodeName(run.scans[i].path));
        const std::optional<SolutionColumn> &column = analysis.columnOfScan(int(i));
        if (!column) {
            // A setting without a column shows its meniscus at most.
            EXPECT_EQ(row[int(ReportColumn::BottomCm)], QByteArray()) << i;
            EXPECT_EQ(row[int(ReportColumn::OuterCm)], QByteArray()) << i;
            continue;
        }
        const auto text
            = [&column](double SolutionColumn::*radius) { return ReportText(*column.*radius); };
        EXPECT_EQ(row[int(ReportColumn::MeniscusCm)], text(&SolutionColumn::meniscus)) << i;
        EXPECT_EQ(row[int(ReportColumn::BottomCm)], text(&SolutionColumn::bottom)) << i;
        EXPECT_EQ(row[int(ReportColumn::InnerCm)], text(&SolutionColumn::inner)) << i;
        EXPECT_EQ(row[int(ReportColumn::OuterCm)], text(&SolutionColumn::outer)) << i;
    }

    // One setting's column moved by hand: its check and its fits follow,
    // the other settings stay.
    const ScanGroup &moved = analysis.groups.groups[1];
    const SolutionColumn was = *analysis.columns[1];
    ColumnLimits hand = LimitsOf(moved, was);
    hand.values.inner = was.inner + 0.1;
    hand.values.byHand = true;
    RunAnalysis one;
    one.groups = analysis.groups;
    one.columns.assign(analysis.columns.size(), std::nullopt);
    one.columns[1] = hand.values;
    const QByteArray movedRow = LimitsCsv(one).split('\n')[1];
    const QString movedFile
        = folder.write(QStringLiteral("moved.csv"), saved + "\r\n" + movedRow + "\r\n");
    const Finished changed
        = kelvane({ QStringLiteral("--report"), QStringLiteral("--limits=") + movedFile, root });
    EXPECT_EQ(changed.status, 0) << changed.err.toStdString();
    const std::map<QByteArray, QList<QByteArray>> after = reportRows(changed.out);
    int scored = 0;
    for (size_t i = 0; i < run.scans.size(); ++i) {
        const QByteArray path = QFile::encodeName(run.scans[i].path);
        const QList<QByteArray> &before = rows.at(path);
        const QList<QByteArray> &now = after.at(path);
        const auto field
            = [](const QList<QByteArray> &row, ReportColumn column) { return row[int(column)]; };
        if (analysis.groups.groupOf[i] != 1) {
            EXPECT_EQ(now, before) << path.toStdString();
            continue;
        }
        EXPECT_EQ(field(now, ReportColumn::InnerCm), ReportText(was.inner + 0.1));
        if (field(before, ReportColumn::EqPoints).isEmpty())
            continue; // the last scan
        ++scored;
        EXPECT_LT(field(now, ReportColumn::EqPoints).toInt(),
            field(before, ReportColumn::EqPoints).toInt())
            << path.toStdString();
        EXPECT_NE(field(now, ReportColumn::EqScore), field(before, ReportColumn::EqScore))
            << path.toStdString();
    }
    EXPECT_EQ(scored, int(moved.scans.size()) - 1);
}

TEST(LimitsFile, ALimitsFileNotAllUsedIsNamedWithStatusTwo)
{
    TestFolder folder;
    const QString root = folder.path(QStringLiteral("run"));
    ASSERT_TRUE(WriteRun(GenerateRun(realPlan(6)), root));
    const QByteArray saved = LimitsCsv(AnalyseRun(readRun(root)));
    const QString partly = folder.write(QStringLiteral("partly.csv"),
        saved
            + "\n9,0,R,280,16000,6.8,7.12,6.82,7.09,no\n"
              "1,0,R,280,16000,6.8,7.12,6.82,6.81,no\n");
    const QString noHeader
        = folder.write(QStringLiteral("rows.csv"), saved.mid(saved.indexOf('\n') + 1));
    const QString missing = folder.path(QStringLiteral("missing.csv"));
    const QByteArray name = QFile::encodeName(partly);
    const QByteArray rowsName = QFile::encodeName(noHeader);
    const int lines = int(saved.count('\n'));
    const struct {
        const char *name;
        QString file;
        bool table;
        QByteArray err;
    } rows[] = {
        { "a row matching nothing and one unread, in the file's order", partly, true,
            "kelvane: " + name + ": line " + QByteArray::number(lines + 2)
                + " matches no setting\nkelvane: " + name + ": line "
                + QByteArray::number(lines + 3) + ": outer_cm is not above inner_cm\n" },
        { "no file", missing, false,
            "kelvane: " + QFile::encodeName(missing) + ": No such file or directory\n" },
        { "no header row", noHeader, false,
            "kelvane: " + rowsName
                + ": line 1: the header row has no cell, column, type, wavelength_nm, "
                  "speed_rpm, meniscus_cm, bottom_cm, inner_cm, outer_cm, by_hand\n" },
    };
    const QString out = folder.path(QStringLiteral("out"));
    for (const auto &row : rows) {
        const Finished report
            = kelvane({ QStringLiteral("--report"), QStringLiteral("--limits"), row.file, root });
        EXPECT_EQ(report.status, 2) << row.name;
        EXPECT_EQ(report.err, row.err) << row.name;
        EXPECT_EQ(report.out.isEmpty(), !row.table) << row.name;
        const Finished exported = kelvane({ QStringLiteral("--export"), out,
            QStringLiteral("--column"), QStringLiteral("--limits"), row.file, root });
        EXPECT_EQ(exported.status, 2) << row.name;
        // then the scans of settings without a column
        EXPECT_TRUE(exported.err.startsWith(row.err)) << row.name << exported.err.toStdString();
        EXPECT_EQ(exported.out.isEmpty(), !row.table) << row.name;
        QDir(out).removeRecursively();
    }

    const struct {
        QStringList arguments;
        QByteArray error;
    } usage[] = {
        { { "--limits", partly, root }, "--limits goes with --report, --export or --fit" },
        { { "--report", "--limits" }, "--limits needs a file" },
        { { "--report", "--column", root },
            "--complete, --truncated, --xi, --remove-suggested, --split-channels and --column go "
            "with --export" },
    };
    for (const auto &row : usage) {
        const Finished result = kelvane(row.arguments);
        EXPECT_EQ(result.status, row.arguments.front() == "--limits" ? 2 : 1)
            << row.error.toStdString();
        EXPECT_EQ(result.err, "kelvane: " + row.error + "\nTry 'kelvane --help'.\n");
        EXPECT_EQ(result.out, QByteArray());
    }
}

TEST(LimitsFile, TheExportCutsEachScanToItsSettingsColumn)
{
    TestFolder folder;
    const QString root = folder.path(QStringLiteral("run"));
    RunPlan plan = SixChannelPlan();
    plan.realArtifacts = true;
    plan.speeds.resize(2);
    ASSERT_TRUE(WriteRun(GenerateRun(plan), root));
    // A scan another program cut to its column: no column to find.
    ASSERT_TRUE(QDir().mkpath(folder.path(QStringLiteral("run/cut"))));
    QByteArray cut = IdealScanBytes({ { 15000, 0.3 } }, 20000, 10.0, 6.0, 6.2, 0.002, 0.004, 3);
    cut.replace("\nR 1 ", "\nR 3 "); // a cell of its own, which the split leaves alone
    folder.write(QStringLiteral("run/cut/00900.RA3"), cut);

    // The window's order: split, then the columns of the split settings.
    ::Run run = readRun(root);
    RunEdits edits(run);
    ASSERT_TRUE(SplitChannels(edits, run, ProposeChannels(run, everyScan(run))));
    const RunAnalysis analysis = AnalyseRun(run);
    std::map<QString, SolutionColumn> columnOf;
    for (size_t i = 0; i < run.scans.size(); ++i) {
        if (const std::optional<SolutionColumn> &column = analysis.columnOfScan(int(i)))
            columnOf[run.scans[i].name] = *column;
    }
    ASSERT_EQ(columnOf.size(), run.scans.size() - 1);

    // Inside the outer column; the other columns end past their limit.
    const QString to = QStringLiteral("7.1");
    const struct {
        const char *name;
        QStringList options;
        QByteArray cutMessage;
    } rows[] = {
        { "the limits", {}, "no solution column found; written whole" },
        { "an end typed", { QStringLiteral("--to"), to },
            "no solution column found; only the range given applied" },
    };
    for (const auto &row : rows) {
        const QString out = folder.path(QStringLiteral("out-") + QLatin1String(row.name));
        const Finished exported
            = kelvane(QStringList { QStringLiteral("--export"), out,
                          QStringLiteral("--split-channels"), QStringLiteral("--column") }
                + row.options + QStringList { root });
        EXPECT_EQ(exported.status, 0) << row.name << exported.err.toStdString();
        EXPECT_EQ(exported.err,
            "kelvane: " + QFile::encodeName(root) + "/cut/00900.RA3: " + row.cutMessage + '\n')
            << row.name;
        const ::Run written = readRun(out);
        ASSERT_EQ(written.scans.size(), run.scans.size()) << row.name;
        for (const Scan &scan : written.scans) {
            if (scan.name == QStringLiteral("00900.RA3")) {
                EXPECT_EQ(scan.numPoints, 101) << row.name;
                continue;
            }
            ASSERT_TRUE(columnOf.count(scan.name)) << scan.name.toStdString();
            const SolutionColumn &column = columnOf[scan.name];
            const double lo = RadiusBound(column.inner);
            const double hi = RadiusBound(row.options.isEmpty() ? column.outer : to.toDouble());
            int good = 0;
            for (int i = 0; i < scan.numPoints; ++i) {
                if (scan.flag(i) <= 0.0f)
                    continue;
                ++good;
                EXPECT_GE(scan.x(i), lo) << row.name << scan.name.toStdString();
                EXPECT_LE(scan.x(i), hi) << row.name << scan.name.toStdString();
            }
            ASSERT_GT(good, 0) << row.name << scan.name.toStdString();
            EXPECT_NEAR(scan.x(0), lo, 0.01) << row.name << scan.name.toStdString();
            if (!row.options.isEmpty() && column.bottom < hi) {
                EXPECT_GT(scan.x(scan.numPoints - 1), RadiusBound(column.outer))
                    << "the end typed, not the limit: " << scan.name.toStdString();
            }
        }
    }
}
