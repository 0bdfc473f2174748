// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/FitCommand.h"
#include "core/NumLib.h"
#include "runs/RunReader.h"
#include "support/CommandSupport.h"
#include "support/RunGenerator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QFile>

#include <map>
#include <set>

namespace
{

const QByteArray headerRow
    = "cell,file,speed_rpm,wavelength_nm,temperature_c,inner_cm,outer_cm,points,amplitude,"
      "baseline,rms,cell_scans,cell_points,buoyant_mass,buoyant_mass_se,mass,mass_se,cell_rms\n";

enum Field {
    CellField,
    FileField,
    SpeedField,
    WavelengthField,
    TemperatureField,
    InnerField,
    OuterField,
    PointsField,
    AmplitudeField,
    BaselineField,
    RmsField,
    CellScansField,
    CellPointsField,
    BuoyantMassField,
    BuoyantMassSeField,
    MassField,
    MassSeField,
    CellRmsField,
    FieldCount,
};

// The rows after the header, split at their commas (no field here holds one).
std::vector<QList<QByteArray>> rowsOf(const QByteArray &out)
{
    std::vector<QList<QByteArray>> rows;
    QList<QByteArray> lines = out.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (!lines[i].isEmpty())
            rows.push_back(lines[i].split(','));
    }
    return rows;
}

// Two cells whose two speeds each come to equilibrium, three wavelengths in
// turn, drawn as real scans look; every scan with its own offset.
RunPlan settledPlan()
{
    RunPlan plan;
    plan.cells = { 1, 2 };
    plan.speeds = { { 16000, 18, 2.0 }, { 24000, 18, 2.0 } };
    plan.realArtifacts = true;
    plan.seed = 4;
    return plan;
}

class FitCommand : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_folder = new TestFolder;
        s_run = s_folder->path(QStringLiteral("run"));
        ASSERT_TRUE(WriteRun(GenerateRun(settledPlan()), s_run));
    }
    static void TearDownTestSuite()
    {
        delete s_folder;
        s_folder = nullptr;
    }
    static TestFolder *s_folder;
    static QString s_run;
};

TestFolder *FitCommand::s_folder = nullptr;
QString FitCommand::s_run;

} // namespace

TEST_F(FitCommand, EachCellGivesTheMassOfItsSpeciesFromTheLastScanOfEachSetting)
{
    const Finished result = kelvane({ QStringLiteral("--fit"), s_run });
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.err, QByteArray());
    ASSERT_TRUE(result.out.startsWith(headerRow)) << result.out.left(300).toStdString();
    const std::vector<QList<QByteArray>> rows = rowsOf(result.out);
    const double truth = settledPlan().buoyantMass;
    std::map<QByteArray, int> rowsOfCell;
    std::set<std::pair<int, int>> settings; // (speed, wavelength) of cell 1
    for (const QList<QByteArray> &row : rows) {
        ASSERT_EQ(row.size(), FieldCount) << row.join(',').toStdString();
        ++rowsOfCell[row[CellField]];
        EXPECT_EQ(row[CellScansField], "6");
        const double mb = row[BuoyantMassField].toDouble();
        const double se = row[BuoyantMassSeField].toDouble();
        EXPECT_NEAR(mb, truth, 4.0 * se) << row.join(',').toStdString();
        EXPECT_NEAR(mb / truth, 1.0, 0.01);
        EXPECT_GT(se, 0.0);
        EXPECT_NEAR(row[MassField].toDouble(), mb / 0.27, 1e-6 * mb);
        EXPECT_NEAR(row[MassSeField].toDouble(), se / 0.27, 1e-6 * se);
        // The noise of the generator is what remains.
        EXPECT_NEAR(row[RmsField].toDouble(), settledPlan().noise, 0.001);
        EXPECT_NEAR(row[CellRmsField].toDouble(), settledPlan().noise, 0.001);
        EXPECT_FALSE(row[BaselineField].isEmpty());
        EXPECT_GT(row[PointsField].toInt(), 100);
        EXPECT_LT(row[InnerField].toDouble(), row[OuterField].toDouble());
        EXPECT_EQ(row[TemperatureField], "10");
        if (row[CellField] == "1")
            settings.insert({ row[SpeedField].toInt(), int(row[WavelengthField].toDouble()) });
    }
    EXPECT_EQ(rowsOfCell, (std::map<QByteArray, int> { { "1", 6 }, { "2", 6 } }));
    EXPECT_EQ(settings.size(), 6u) << "one scan of each setting";
}

TEST_F(FitCommand, TheFiltersChooseCellsSpeedsWavelengthsAndScans)
{
    const Finished all = kelvane({ QStringLiteral("--fit"), s_run });
    ASSERT_EQ(all.status, 0);
    const struct {
        const char *name;
        QStringList options;
        std::map<QByteArray, int> rowsOfCell;
    } rows[] = {
        { "one cell", { QStringLiteral("--cell"), QStringLiteral("2") }, { { "2", 6 } } },
        { "both cells named", { QStringLiteral("--cell=1"), QStringLiteral("--cell=2") },
            { { "1", 6 }, { "2", 6 } } },
        { "one speed", { QStringLiteral("--speed"), QStringLiteral("24000") },
            { { "1", 3 }, { "2", 3 } } },
        { "a wavelength a nanometre off", { QStringLiteral("--wavelength"), QStringLiteral("282") },
            { { "1", 2 }, { "2", 2 } } },
        { "two wavelengths",
            { QStringLiteral("--wavelength=230"), QStringLiteral("--wavelength=263") },
            { { "1", 4 }, { "2", 4 } } },
        { "a wavelength that is none", { QStringLiteral("--wavelength"), QStringLiteral("270") },
            {} },
        { "one setting",
            { QStringLiteral("--cell=1"), QStringLiteral("--speed=16000"),
                QStringLiteral("--wavelength=260") },
            { { "1", 1 } } },
    };
    for (const auto &row : rows) {
        const Finished result = kelvane(
            QStringList { QStringLiteral("--fit") } + row.options + QStringList { s_run });
        EXPECT_EQ(result.status, 0) << row.name << ": " << result.err.toStdString();
        EXPECT_TRUE(result.out.startsWith(headerRow)) << row.name;
        std::map<QByteArray, int> rowsOfCell;
        for (const QList<QByteArray> &fields : rowsOf(result.out)) {
            ++rowsOfCell[fields[CellField]];
            EXPECT_EQ(fields[CellScansField].toInt(), row.rowsOfCell.at(fields[CellField]))
                << row.name;
        }
        EXPECT_EQ(rowsOfCell, row.rowsOfCell) << row.name;
    }

    // Since: every scan from the since scan on, so more rows and a smaller
    // error than the last scans alone.
    const Finished since = kelvane({ QStringLiteral("--fit"), QStringLiteral("--scans"),
        QStringLiteral("since"), QStringLiteral("--cell=1"), s_run });
    ASSERT_EQ(since.status, 0) << since.err.toStdString();
    const std::vector<QList<QByteArray>> sinceRows = rowsOf(since.out);
    EXPECT_GE(sinceRows.size(), 24u) << "at least four scans a setting";
    const std::vector<QList<QByteArray>> lastRows = rowsOf(all.out);
    EXPECT_LT(
        sinceRows[0][BuoyantMassSeField].toDouble(), lastRows[0][BuoyantMassSeField].toDouble());
    std::set<QByteArray> files;
    for (const QList<QByteArray> &row : sinceRows)
        files.insert(row[FileField]);
    EXPECT_EQ(files.size(), sinceRows.size()) << "each scan once";
    const Finished last
        = kelvane({ QStringLiteral("--fit"), QStringLiteral("--scans=last"), s_run });
    EXPECT_EQ(last.out, all.out) << "last is the default";

    // Without the baseline the column is empty and the offsets of the scans
    // are left in the residuals.
    const Finished plain
        = kelvane({ QStringLiteral("--fit"), QStringLiteral("--no-baseline"), s_run });
    ASSERT_EQ(plain.status, 0) << plain.err.toStdString();
    const std::vector<QList<QByteArray>> plainRows = rowsOf(plain.out);
    ASSERT_EQ(plainRows.size(), lastRows.size());
    for (size_t i = 0; i < plainRows.size(); ++i) {
        EXPECT_EQ(plainRows[i][BaselineField], QByteArray());
        EXPECT_EQ(plainRows[i][FileField], lastRows[i][FileField]);
    }
    EXPECT_GT(plainRows[0][CellRmsField].toDouble(), 1.5 * lastRows[0][CellRmsField].toDouble());
}

TEST_F(FitCommand, UsageErrorsGetStatusOneAndNoTable)
{
    const QStringList rows[] = {
        { QStringLiteral("--fit") },
        { QStringLiteral("--fit"), QStringLiteral("--cell"), QStringLiteral("x"), s_run },
        { QStringLiteral("--fit"), QStringLiteral("--cell=0"), s_run },
        { QStringLiteral("--fit"), QStringLiteral("--speed"), QStringLiteral("fast"), s_run },
        { QStringLiteral("--fit"), QStringLiteral("--wavelength=-3"), s_run },
        { QStringLiteral("--fit"), QStringLiteral("--scans"), QStringLiteral("first"), s_run },
        { QStringLiteral("--fit"), QStringLiteral("--from=7"), QStringLiteral("--to=6"), s_run },
        { QStringLiteral("--fit"), QStringLiteral("--report"), s_run },
        { QStringLiteral("--fit"), QStringLiteral("--xi"), s_run },
        { QStringLiteral("--report"), QStringLiteral("--no-baseline"), s_run },
        { QStringLiteral("--cell=1"), s_run },
    };
    for (const QStringList &arguments : rows) {
        const Finished result = kelvane(arguments);
        EXPECT_EQ(result.status, 1) << arguments.join(' ').toStdString();
        EXPECT_EQ(result.out, QByteArray()) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith("kelvane: ")) << result.err.toStdString();
        EXPECT_TRUE(result.err.endsWith("Try 'kelvane --help'.\n")) << result.err.toStdString();
    }
    const Finished help = kelvane({ QStringLiteral("--help") });
    EXPECT_TRUE(help.out.contains("  --fit ")) << "the help names it";
}

TEST_F(FitCommand, WhatCannotBeFittedIsNamedWithTheReasonAndTheRestIsPrinted)
{
    // A cell of a run still far from equilibrium, beside a settled one.
    TestFolder folder;
    RunPlan changing = settledPlan();
    changing.cells = { 3 };
    changing.speeds = { { 16000, 18, 60.0 } };
    const QString far = folder.path(QStringLiteral("far"));
    ASSERT_TRUE(WriteRun(GenerateRun(changing), far));
    const Finished mixed = kelvane({ QStringLiteral("--fit"), s_run, far });
    EXPECT_EQ(mixed.status, 2);
    EXPECT_EQ(mixed.err, "kelvane: cell 3: no setting at equilibrium\n");
    EXPECT_EQ(rowsOf(mixed.out).size(), 12u) << "the two settled cells";

    // A cell that is not in the run.
    const Finished missing
        = kelvane({ QStringLiteral("--fit"), QStringLiteral("--cell=9"), s_run });
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "kelvane: cell 9: no scans of that cell\n");
    EXPECT_EQ(missing.out, headerRow);

    // Scans whose headers give no speed: the reason, and the first such scan.
    const QString stopped = folder.path(QStringLiteral("stopped"));
    GeneratedRun run = GenerateRun(settledPlan());
    for (GeneratedScan &scan : run.scans) {
        if (scan.header.cell != 2)
            continue;
        QList<QByteArray> lines = scan.bytes.split('\n');
        QList<QByteArray> fields = lines[1].simplified().split(' ');
        fields[3] = "0";
        lines[1] = fields.join(' ');
        scan.bytes = lines.join('\n');
    }
    ASSERT_TRUE(WriteRun(run, stopped));
    const Finished noSpeed = kelvane({ QStringLiteral("--fit"), stopped });
    EXPECT_EQ(noSpeed.status, 2);
    EXPECT_TRUE(noSpeed.err.startsWith(
        "kelvane: cell 2: no speed or temperature (" + QFile::encodeName(stopped)))
        << noSpeed.err.toStdString();
    EXPECT_EQ(noSpeed.err.count('\n'), 1);
    EXPECT_EQ(rowsOf(noSpeed.out).size(), 6u) << "cell 1 alone";

    // A limits file sets the range of its setting; a row that matches no
    // setting is named, and the rest is used.
    const QString limits = folder.write(QStringLiteral("limits.csv"),
        "cell,column,type,wavelength_nm,speed_rpm,meniscus_cm,bottom_cm,inner_cm,outer_cm,by_hand\n"
        "1,0,R,280-281,16000,6.8,7.12,6.85,7.05,yes\n"
        "7,0,R,280-281,16000,6.8,7.12,6.85,7.05,yes\n");
    const Finished limited
        = kelvane({ QStringLiteral("--fit"), QStringLiteral("--limits"), limits, s_run });
    EXPECT_EQ(limited.status, 2);
    EXPECT_EQ(
        limited.err, "kelvane: " + QFile::encodeName(limits) + ": line 3 matches no setting\n");
    int set = 0;
    for (const QList<QByteArray> &row : rowsOf(limited.out)) {
        const bool chosen = row[CellField] == "1" && row[SpeedField] == "16000"
            && row[WavelengthField].toDouble() > 279.0;
        EXPECT_EQ(row[InnerField] == "6.85" && row[OuterField] == "7.05", chosen)
            << row.join(',').toStdString();
        set += chosen ? 1 : 0;
    }
    EXPECT_EQ(set, 1);

    // A file that cannot be read is named; the cells are fitted all the same.
    const QString copy = folder.path(QStringLiteral("copy"));
    ASSERT_TRUE(WriteRun(GenerateRun(settledPlan()), copy));
    folder.write(QStringLiteral("copy/00999.RA1"), QByteArray());
    const Finished broken = kelvane({ QStringLiteral("--fit"), copy });
    EXPECT_EQ(broken.status, 2);
    EXPECT_EQ(broken.err, "kelvane: " + QFile::encodeName(copy) + "/00999.RA1: is empty\n");
    EXPECT_EQ(rowsOf(broken.out).size(), 12u);
}

TEST_F(FitCommand, ASplitColumnIsNamedAfterItsCell)
{
    NumLib numlib;
    ::Run run = ReadRun({ s_run }, numlib);
    ASSERT_FALSE(run.scans.empty());
    for (Scan &scan : run.scans) {
        if (scan.header && scan.header->cell == 2)
            scan.column = 2;
    }
    const RunAnalysis analysis = AnalyseRun(run);
    FitRequest request;
    const std::vector<CellOfRun> cells = FitCells(run, analysis, request);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[1].column, 2);
    const QByteArray csv = FitCsvRows(run, analysis, request, cells);
    std::map<QByteArray, int> rowsOfCell;
    for (const QList<QByteArray> &row : rowsOf(headerRow + csv))
        ++rowsOfCell[row[CellField]];
    EXPECT_EQ(rowsOfCell, (std::map<QByteArray, int> { { "1", 6 }, { "2-c2", 6 } }));
}
