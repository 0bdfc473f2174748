// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/WorkFile.h"
#include "datafiles/TextFiles.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>

#include <algorithm>
#include <cmath>

namespace
{

void setPoint(ProgramState &s, int i, float x, float c, float f)
{
    s.DataPts.x(i) = x;
    s.DataPts.conc(i) = c;
    s.DataPts.flag(i) = f;
    s.NumPts = std::max(s.NumPts, i);
}

} // namespace

TEST(WorkFile, LinesMatchTheLayout)
{
    Harness h;
    ProgramState &s = *h.state;
    setPoint(s, 1, 6.5f, 0.125f, 100.0f);
    setPoint(s, 2, 6.5f, -0.125f, -100.0f);
    setPoint(s, 3, 7.0f, 0.0f, 2.5f);
    setPoint(s, 4, 6.6f, 123456.0f, 1.0f);
    s.CommentBuf.setSlot(1, "ten chars!");
    s.NumComments = 1;
    RewriteWorkFile(s, *h.window);
    const QByteArray expected = QByteArray("ten chars!") + QByteArray(86, ' ')
        + "\r\n"
          "   6.50000    1.25000E-01    1.000E+02\r\n"
          "   6.50000   -1.25000E-01   -1.000E+02\r\n"
          "   7.00000    0.00000E+00    2.500E+00\r\n"
          "   6.60000    1.23456E+05    1.000E+00\r\n";
    EXPECT_EQ(h.workFile(), expected);
    EXPECT_EQ(s.TmpPath, QDir(h.folder.root()).canonicalPath() + QStringLiteral("/~kelvane.tmp"));
    EXPECT_EQ(h.window->view(ViewTab::EditedDataFile)->toPlainText(),
        QString::fromLatin1(expected).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    RewriteWorkFile(s, *h.window, FlagGap::Two);
    EXPECT_TRUE(h.workFile().contains("   6.50000    1.25000E-01   1.000E+02\r\n"));
}

TEST(WorkFile, NoDataGivesAnEmptyFile)
{
    Harness h;
    h.folder.write(QStringLiteral("~kelvane.tmp"), "old content");
    RewriteWorkFile(*h.state, *h.window);
    EXPECT_TRUE(QFile::exists(h.state->TmpPath));
    EXPECT_EQ(h.workFile(), QByteArray());
    EXPECT_EQ(h.window->view(ViewTab::EditedDataFile)->toPlainText(), QString());
}

TEST(WorkFile, AFailedWriteShowsANoticeAndTheDataFromMemory)
{
    Harness h;
    ProgramState &s = *h.state;
    setPoint(s, 1, 6.5f, 0.125f, 100.0f);
    QDir(h.folder.root()).mkdir(QStringLiteral("~kelvane.tmp")); // a folder in the way
    RewriteWorkFile(s, *h.window);
    EXPECT_TRUE(
        h.window->view(ViewTab::EditedDataFile)->toPlainText().contains(QStringLiteral("6.50000")));
    EXPECT_TRUE(h.window->notice()->text().contains(QStringLiteral("could not be written")))
        << h.window->notice()->text().toStdString();
    EXPECT_TRUE(h.window->notice()->isVisibleTo(h.window.get()));

    QDir(h.folder.root()).rmdir(QStringLiteral("~kelvane.tmp"));
    RewriteWorkFile(s, *h.window);
    EXPECT_TRUE(h.window->notice()->text().isEmpty());
}

TEST(WorkFile, FullDiskIsNoticedToo)
{
    Harness h;
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full here";
    ProgramState &s = *h.state;
    setPoint(s, 1, 6.5f, 0.125f, 100.0f);
    s.TmpPath = QStringLiteral("/dev/full");
    WriteWorkFile(s, *h.window);
    EXPECT_FALSE(h.window->notice()->text().isEmpty());
}

TEST(WorkFile, FileExistsCountsPlainFilesOnly)
{
    TestFolder folder;
    folder.write(QStringLiteral("plain"), "x");
    folder.write(QStringLiteral(".hidden"), "x");
    QDir(folder.root()).mkdir(QStringLiteral("folder"));
    EXPECT_TRUE(FileExists(folder.path(QStringLiteral("plain"))));
    EXPECT_FALSE(FileExists(folder.path(QStringLiteral(".hidden"))));
    EXPECT_FALSE(FileExists(folder.path(QStringLiteral("folder"))));
    EXPECT_FALSE(FileExists(folder.path(QStringLiteral("missing"))));
}

TEST(WorkFile, TabCaptions)
{
    EXPECT_EQ(
        TabCaptionFor(QStringLiteral("/data/scan_001.dat")), QStringLiteral("/data/scan_001.dat"));
    EXPECT_EQ(TabCaptionFor(QStringLiteral("/data/scan_0001.dat")),
        QStringLiteral("...data/scan_0001.dat"));
    EXPECT_EQ(TabCaptionFor(QStringLiteral("  short.dat  ")), QStringLiteral("short.dat"));
}

TEST(WorkFile, RemovedPointsShowInTheDeletedColour)
{
    Harness h;
    h.choose(h.example(QStringLiteral("edited-scan.dat")), MenuEntry::GetNewData);
    ProgramState &s = *h.state;
    ASSERT_EQ(s.NumComments, 4);
    const TextView *view = h.window->view(ViewTab::EditedDataFile);
    const QColor deleted(s.DelRed, s.DelGreen, s.DelBlue);
    const QColor text = view->palette().color(QPalette::Text);
    ASSERT_NE(deleted, text);
    const std::vector<int> removed = RemovedPointLines(s);
    // Points 1-6, 121, 122, 301 and 427-434: lines after the four comments.
    const std::vector<int> expected
        = { 4, 5, 6, 7, 8, 9, 124, 125, 304, 430, 431, 432, 433, 434, 435, 436, 437 };
    EXPECT_EQ(removed, expected);
    for (int line = 0; line < view->lineCount(); ++line) {
        const bool isRemoved = std::binary_search(removed.begin(), removed.end(), line);
        EXPECT_EQ(view->lineColour(line), isRemoved ? deleted : text) << "line " << line;
        if (isRemoved) {
            EXPECT_TRUE(view->toPlainText().split(QLatin1Char('\n'))[line].endsWith(
                QStringLiteral("-1.000E+02")))
                << "line " << line;
        }
    }

    // A restored point goes back to the text colour on the next rewrite; a
    // zero or NaN flag is no good point.
    s.DataPts.flag(1) = 100.0f;
    s.DataPts.flag(10) = 0.0f;
    s.DataPts.flag(11) = std::nanf("");
    RewriteWorkFile(s, *h.window);
    EXPECT_EQ(view->lineColour(4), text);
    EXPECT_EQ(view->lineColour(13), deleted);
    EXPECT_EQ(view->lineColour(14), deleted);
    EXPECT_EQ(view->lineColour(0), text) << "comment lines keep the text colour";
}
