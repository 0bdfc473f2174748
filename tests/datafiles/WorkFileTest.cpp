#include "datafiles/WorkFile.h"
#include "datafiles/TextFiles.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>

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
