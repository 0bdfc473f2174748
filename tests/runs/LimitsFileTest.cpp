// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/LimitsFile.h"

#include "core/NumLib.h"
#include "runs/RunReader.h"
#include "support/RunGenerator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

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

const QByteArray header
    = "cell,column,type,wavelength_nm,speed_rpm,meniscus_cm,bottom_cm,inner_cm,outer_cm,by_hand";

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
    const struct {
        const char *name;
        QByteArray bytes;
    } rows[] = { { "as written", csv }, { "CR LF", crlf }, { "reordered", shuffled } };
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
