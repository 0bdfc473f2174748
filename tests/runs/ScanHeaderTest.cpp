// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/ScanHeader.h"
#include "runs/ScanFiles.h"

#include <gtest/gtest.h>

TEST(ScanHeader, TheLayoutsOfRealFilesAreRead)
{
    const struct {
        const char *name;
        const char *line;
        ScanHeader header;
    } rows[] = {
        { "plain", "R 4 10.0 16000 0028764 8.0640E10 281 20",
            { 'R', 4, 10.0, 16000, 28764, 8.0640e10, 281.0, 20 } },
        { "zero-padded temperature and speed", "R 1 03.9 06000 0000360 1.4212E+08 230 1",
            { 'R', 1, 3.9, 6000, 360, 1.4212e8, 230.0, 1 } },
        { "blank-padded speed, trailing blank", "I 2 20.0  9000 0072000 6.3955E+10 260 3 ",
            { 'I', 2, 20.0, 9000, 72000, 6.3955e10, 260.0, 3 } },
        { "tabs and a Fortran exponent", "P\t7\t25.0\t40000\t0000001\t1.0D+03\t660\t1",
            { 'P', 7, 25.0, 40000, 1, 1.0e3, 660.0, 1 } },
        { "fluorescence", "F 3 20.0 50000 0003600 1.0E11 488 5",
            { 'F', 3, 20.0, 50000, 3600, 1.0e11, 488.0, 5 } },
    };
    for (const auto &row : rows) {
        const std::optional<ScanHeader> header = ParseScanHeader(row.line);
        ASSERT_TRUE(header) << row.name;
        EXPECT_EQ(*header, row.header) << row.name;
    }
}

TEST(ScanHeader, AnythingElseIsNoHeader)
{
    const char *rows[] = {
        "", // an empty line
        "R 4 10.0 16000 0028764 8.0640E10 281", // seven fields
        "R 4 10.0 16000 0028764 8.0640E10 281 20 5", // nine
        "X 4 10.0 16000 0028764 8.0640E10 281 20", // no such type
        "r 4 10.0 16000 0028764 8.0640E10 281 20", // the letter is upper case
        "RA 4 10.0 16000 0028764 8.0640E10 281 20",
        "R 4.5 10.0 16000 0028764 8.0640E10 281 20", // a cell is whole
        "R 4 10.0 16000.0 0028764 8.0640E10 281 20", // so is a speed
        "R 4 ten 16000 0028764 8.0640E10 281 20",
        "R 4 10.0 16000 0028764 inf 281 20", // not finite
        "R 4 10.0 16000 0028764 nan 281 20",
        "R 4 10.0 16000 0028764 1E999 281 20", // out of range
        "R 4 10.0 16000 99999999999999999999 8.0640E10 281 20",
        "R 4 10.0 16000 0028764 0x1p3 281 20",
        "R,4,10.0,16000,0028764,8.0640E10,281,20", // commas are not blanks here
        "5.8010 1.23450E-01 5.00000E-03", // a data line
    };
    for (const char *line : rows)
        EXPECT_FALSE(ParseScanHeader(line)) << line;
}

TEST(ScanHeader, LeadingLinesEndAtLfWithOrWithoutCr)
{
    const struct {
        QByteArray bytes;
        QByteArray description;
        QByteArray header;
    } rows[] = {
        { "0.6uM DNA\r\nR 1 10.0 16000 0000360 1E8 280 1\r\n5.9 0.1 0.01\r\n", "0.6uM DNA",
            "R 1 10.0 16000 0000360 1E8 280 1" },
        { ".3uM\nR x\n", ".3uM", "R x" }, { "only a description", "only a description", "" },
        { "a\r\r\nc", "a\r", "c" }, // one CR belongs to the line end, the other to the line
        { "", "", "" }, { "\n\n", "", "" }, { "d\nh\r", "d", "h" }, // a CR at the very end
    };
    for (const auto &row : rows) {
        const LeadingLines lines = ReadLeadingLines(row.bytes);
        EXPECT_EQ(lines.description, row.description) << row.bytes.toStdString();
        EXPECT_EQ(lines.header, row.header) << row.bytes.toStdString();
    }
}

TEST(ScanFiles, ScansAreKnownByTheirNames)
{
    for (const char *name : { "00001.RA1", "00090.ra7", "00001.RA8", "12.RI2", "a.ip1", "x.WA3",
             "x.wi4", "x.FI5", "scan.dat", "SCAN.DAT", "with.dots.RA1" })
        EXPECT_TRUE(IsScanFileName(QLatin1String(name))) << name;
    for (const char *name : { "CELL1ABS.LOG", "00001.RA9", "00001.RA0", "00001.RA", "00001.RA12",
             "notes.txt", "run.tar.gz", ".RA1", "RA1", "00001.RB1", "scan.data" })
        EXPECT_FALSE(IsScanFileName(QLatin1String(name))) << name;
}
