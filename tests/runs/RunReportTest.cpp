// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunReport.h"
#include "core/NumLib.h"
#include "runs/RunReader.h"
#include "support/CommandSupport.h"
#include "support/RunGenerator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <map>
#include <tuple>

namespace
{

// The CSV's fields, quotes taken off.
QList<QByteArray> fields(const QByteArray &line)
{
    QList<QByteArray> out;
    QByteArray field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            out << field;
            field.clear();
        } else {
            field += c;
        }
    }
    out << field;
    return out;
}

const QByteArray headerRow
    = "file,description,type,cell,wavelength_nm,speed_rpm,temperature_c,time_s,omega2t,points,"
      "group,eq_score,eq_trend,eq_offset,eq_points,eq_reached,eq_since,sigma,buoyant_mass,mass,"
      "fit_points,fit_rms,mass_se,baseline,meniscus_cm,bottom_cm,inner_cm,outer_cm";

} // namespace

TEST(RunReport, ValuesAreWrittenToReadBackAndTextIsQuotedOnlyWhereItMustBe)
{
    const struct {
        ReportValue value;
        QByteArray text;
    } rows[] = {
        { std::monostate(), "" }, { int64_t(16000), "16000" }, { 10.0, "10" }, { 3.9, "3.9" },
        { 8.064e10, "8.064e+10" }, { 0.1 + 0.2, "0.30000000000000004" }, { -1.5e-7, "-1.5e-07" },
        { QByteArray("0.6uM DNA"), "0.6uM DNA" },
        { QByteArray("cm/pixel:  0.00069667737, Sample"), "\"cm/pixel:  0.00069667737, Sample\"" },
        { QByteArray("a \"b\""), "\"a \"\"b\"\"\"" },
        { QByteArray("caf\xe9"), "caf\xe9" }, // single-byte text as it came
    };
    for (const auto &row : rows)
        EXPECT_EQ(ReportText(row.value), row.text) << row.text.toStdString();
}

TEST(RunReport, TheCommandLinePrintsTheRunsTableWithoutADisplay)
{
    TestFolder folder;
    RunPlan plan;
    plan.cells = { 1, 3 };
    plan.speeds = { { 16000, 6, 12.0 }, { 24000, 6, 10.0 } };
    const GeneratedRun generated = GenerateRun(plan);
    const QString root = folder.path(QStringLiteral("run"));
    ASSERT_TRUE(WriteRun(generated, root));
    folder.write(QStringLiteral("run/00099.RA1"), "");

    const Finished report = kelvane({ QStringLiteral("--report"), root });
    EXPECT_EQ(report.status, 2) << "one file could not be read";
    EXPECT_EQ(report.err, "kelvane: " + QFile::encodeName(root) + "/00099.RA1: is empty\n");
    const QList<QByteArray> lines = report.out.split('\n');
    ASSERT_EQ(lines.size(), qsizetype(generated.scans.size()) + 2) << "a header, a row a scan, LF";
    EXPECT_EQ(lines.front(), headerRow);
    EXPECT_EQ(lines.back(), QByteArray());

    std::map<QByteArray, const GeneratedScan *> byFile;
    for (const GeneratedScan &scan : generated.scans)
        byFile[QFile::encodeName(root) + '/' + QFile::encodeName(scan.relativePath)] = &scan;
    // The groups as the tests derive them: the generator's settings.
    std::map<std::tuple<int, int, double>, QByteArray> groupOf;
    std::map<QByteArray, std::tuple<int, int, double>> settingOf;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        const QList<QByteArray> row = fields(lines[i]);
        ASSERT_EQ(row.size(), ReportColumnCount) << lines[i].toStdString();
        ASSERT_TRUE(byFile.count(row[0])) << row[0].toStdString();
        const GeneratedScan &g = *byFile[row[0]];
        EXPECT_EQ(row[1], g.description.trimmed());
        EXPECT_EQ(row[2], "R");
        EXPECT_EQ(row[3].toInt(), g.header.cell);
        EXPECT_EQ(row[4].toDouble(), g.header.wavelength);
        EXPECT_EQ(row[5].toInt(), g.header.speed);
        EXPECT_EQ(row[6].toDouble(), g.header.temperature);
        EXPECT_EQ(row[7].toLongLong(), g.header.time);
        EXPECT_EQ(row[8].toDouble(), g.header.omega2t) << "read back to the same double";
        EXPECT_EQ(row[9].toInt(), g.points);
        const auto setting = std::make_tuple(g.header.cell, g.header.speed, g.wavelength);
        EXPECT_FALSE(row[10].isEmpty());
        if (groupOf.count(setting)) {
            EXPECT_EQ(groupOf[setting], row[10]) << "one group a setting";
        }
        groupOf[setting] = row[10];
        settingOf[row[10]] = setting;
    }
    EXPECT_EQ(groupOf.size(), 12u);
    EXPECT_EQ(settingOf.size(), 12u) << "no two settings share a group";
}

TEST(RunReport, UsageErrorsGetStatusOneAndNoTable)
{
    const QString scan = examplePath(QStringLiteral("radius-scan.dat"));
    const QStringList rows[] = {
        { QStringLiteral("--report") },
        { QStringLiteral("--report"), QStringLiteral("--from"), QStringLiteral("x"), scan },
        { QStringLiteral("--report"), QStringLiteral("--from=7"), QStringLiteral("--to=6"), scan },
        { QStringLiteral("--report"), QStringLiteral("--trim"), QStringLiteral("-1"), scan },
        { QStringLiteral("--report"), QStringLiteral("--vbar=0"), scan },
        { QStringLiteral("--report"), QStringLiteral("--bogus"), scan },
    };
    for (const QStringList &arguments : rows) {
        const Finished result = kelvane(arguments);
        EXPECT_EQ(result.status, 1) << arguments.join(' ').toStdString();
        EXPECT_EQ(result.out, QByteArray()) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith("kelvane: ")) << result.err.toStdString();
    }
    const Finished fine = kelvane({ QStringLiteral("--report"), QStringLiteral("--from=5.9"),
        QStringLiteral("--to"), QStringLiteral("7.1"), scan });
    EXPECT_EQ(fine.status, 0) << fine.err.toStdString();
    EXPECT_TRUE(fine.out.startsWith(headerRow + '\n'));
}

TEST(RunReport, TheRunGeneratorPrintsItsUsageAndRefusesWhatItDoesNotKnow)
{
    TestFolder folder;
    const QString tool
        = QCoreApplication::applicationDirPath() + QStringLiteral("/kelvane_generate_run");
    const struct {
        QStringList arguments;
        int status;
        bool usageOnOut;
    } rows[] = {
        { { QStringLiteral("--help") }, 0, true },
        { { QStringLiteral("-h") }, 0, true },
        { {}, 1, false },
        { { folder.path(QStringLiteral("x")), QStringLiteral("nonsense") }, 1, false },
    };
    for (const auto &row : rows) {
        QProcess process;
        process.setWorkingDirectory(folder.root());
        process.start(tool, row.arguments);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), row.status) << row.arguments.join(u' ').toStdString();
        const QByteArray out = process.readAllStandardOutput();
        const QByteArray err = process.readAllStandardError();
        EXPECT_TRUE((row.usageOnOut ? out : err).contains("usage: kelvane_generate_run FOLDER"))
            << out.toStdString() << err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(folder.path(QStringLiteral("--help"))));
    EXPECT_FALSE(QFileInfo::exists(folder.path(QStringLiteral("x"))));
}

TEST(RunReport, TheReportAndTheExportNeedNoDisplayAndNoPlatformPlugin)
{
    // kelvane() leaves the program no display and no platform plugin: one
    // that made a GUI application would end at once instead.
    TestFolder folder;
    RunPlan plan;
    plan.cells = { 1 };
    plan.speeds = { { 16000, 3, 12.0 } };
    const QString root = folder.path(QStringLiteral("run"));
    ASSERT_TRUE(WriteRun(GenerateRun(plan), root));
    const Finished report = kelvane({ QStringLiteral("--report"), root });
    EXPECT_EQ(report.status, 0) << report.err.toStdString();
    EXPECT_EQ(report.out.count('\n'), 4);
    const QString out = folder.path(QStringLiteral("out"));
    const Finished exported = kelvane({ QStringLiteral("--export"), out,
        QStringLiteral("--remove-suggested"), QStringLiteral("--from=6.85"), root });
    EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_EQ(exported.err, QByteArray());
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 3);
}
