// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/TextFiles.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QTabWidget>

namespace
{

bool enabled(const Harness &h, MenuEntry entry)
{
    return h.window->action(entry)->isEnabled();
}
bool visible(const Harness &h, MenuEntry entry)
{
    return h.window->action(entry)->isVisible();
}

// Radii on both sides of and inside the blanks below; point 2 has a weight.
const QByteArray dataFile = "Scan for blank tests\r\n"
                            "5.80 1.0\r\n"
                            "6.05 1.0 2.5\r\n"
                            "6.10 2.0\r\n"
                            "6.20 1.0\r\n";

// The blank of the library's worked example: 0.1, 0.2, 0.3 over 5.9 .. 6.1.
const QByteArray rampBlank = "ramp blank\r\n5.9 0.1\r\n6.0 0.2\r\n6.1 0.3\r\n";
// A flat blank of 0.5 over the whole scan.
const QByteArray flatBlank = "flat blank\r\n5.0 0.5\r\n7.0 0.5\r\n";

struct Loaded {
    Harness h;
    Loaded()
    {
        h.choose(h.folder.write(QStringLiteral("scan.dat"), dataFile), MenuEntry::GetNewData);
    }
    void blank(const QByteArray &bytes, const QString &name = QStringLiteral("blank.dat"))
    {
        h.choose(h.folder.write(name, bytes), MenuEntry::GetBlankData);
    }
    void expectConcs(std::initializer_list<float> expected) const
    {
        ASSERT_EQ(h.state->NumPts, int(expected.size()));
        int i = 1;
        for (const float conc : expected) {
            EXPECT_FLOAT_EQ(h.state->DataPts.conc(i), conc) << "point " << i;
            ++i;
        }
    }
};

} // namespace

TEST(GetBlank, SubtractsTheInterpolatedBlankAndShowsIt)
{
    Loaded l;
    Harness &h = l.h;
    EXPECT_FALSE(enabled(h, MenuEntry::ClearBlank));
    l.blank(rampBlank);

    ASSERT_EQ(h.platform.fileDialogs.size(), 2u);
    const FileDialogSpec &spec = h.platform.fileDialogs[1];
    EXPECT_EQ(spec.title, QStringLiteral("Get Blank File"));
    EXPECT_EQ(spec.filter, QStringLiteral("Blank File | *.*"));
    EXPECT_EQ(spec.flags, 0x1800u);
    EXPECT_FALSE(spec.save);

    const ProgramState &s = *h.state;
    EXPECT_TRUE(s.BlankLoaded);
    EXPECT_EQ(s.NumBlankPts, 3);
    EXPECT_EQ(s.NumBlankComments, 1);
    EXPECT_EQ(s.BlankCommentBuf.slot(1).trimmed(), QByteArray("ramp blank"));
    EXPECT_EQ(s.NumComments, 1) << "the data's comment lines stay";
    // Below the blank, inside it, at its end and above it.
    l.expectConcs({ 0.9f, 0.75f, 1.7f, 0.7f });
    EXPECT_FLOAT_EQ(s.DataPts.flag(2), 2.5f);
    EXPECT_FLOAT_EQ(s.RawPts.conc(2), 1.0f) << "the data as read stay as read";

    EXPECT_EQ(h.window->view(ViewTab::BlankFile)->toPlainText(),
        QStringLiteral("ramp blank\n5.9 0.1\n6.0 0.2\n6.1 0.3\n"));
    EXPECT_EQ(h.window->tabs()->tabText(1), QStringLiteral("...") + s.ReadPath.right(18));
    EXPECT_TRUE(enabled(h, MenuEntry::ClearBlank));
    EXPECT_TRUE(enabled(h, MenuEntry::AddNoise) && visible(h, MenuEntry::AddNoise));
    EXPECT_FALSE(enabled(h, MenuEntry::BackItOff) || visible(h, MenuEntry::BackItOff));
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(GetBlank, WorkingFileHasTwoBlanksBeforeTheFlagUntilTheNextCommand)
{
    Loaded l;
    l.blank(rampBlank);
    const QByteArray afterBlank = l.h.workFile();
    EXPECT_TRUE(
        afterBlank.startsWith(QByteArray("Scan for blank tests").leftJustified(96) + "\r\n"));
    EXPECT_TRUE(afterBlank.contains("\r\n   6.05000    7.50000E-01   2.500E+00\r\n"));
    EXPECT_EQ(afterBlank.count("E-01   1.000E+02"), 2);
    EXPECT_EQ(afterBlank.count("E-01    1.000E+02"), 0);

    l.h.trigger(MenuEntry::InvertC);
    EXPECT_TRUE(l.h.workFile().contains("\r\n   6.05000   -7.50000E-01    2.500E+00\r\n"));
}

TEST(GetBlank, ASecondBlankReplacesTheFirst)
{
    Loaded l;
    l.blank(rampBlank);
    l.blank(flatBlank, QStringLiteral("flat.dat"));
    l.expectConcs({ 0.5f, 0.5f, 1.5f, 0.5f });
    EXPECT_EQ(l.h.state->NumBlankPts, 2);
    EXPECT_EQ(l.h.window->tabs()->tabText(1), TabCaptionFor(l.h.state->ReadPath));
}

TEST(GetBlank, KeepsDeletedPointsAndClearBlankRestoresTheFileFlags)
{
    Loaded l;
    Harness &h = l.h;
    ProgramState &s = *h.state;
    l.blank(rampBlank);
    // Points 1 and 3 deleted, as leaving the editor with a commit leaves them.
    s.DataPts.flag(1) = -100.0f;
    s.DataPts.flag(3) = -100.0f;
    s.FirstIdx = 2;
    s.FirstX = s.DataPts.x(2);

    l.blank(flatBlank, QStringLiteral("flat.dat"));
    EXPECT_FLOAT_EQ(s.DataPts.flag(1), -100.0f);
    EXPECT_FLOAT_EQ(s.DataPts.flag(3), -100.0f);
    l.expectConcs({ 0.5f, 0.5f, 1.5f, 0.5f });
    EXPECT_TRUE(h.workFile().contains("   5.80000    5.00000E-01  -1.000E+02\r\n"));

    h.trigger(MenuEntry::ClearBlank);
    EXPECT_FALSE(s.BlankLoaded);
    EXPECT_EQ(s.NumBlankPts, 0);
    EXPECT_EQ(s.NumBlankComments, 0);
    EXPECT_EQ(s.BlankCommentBuf.slot(1), QByteArray(96, ' '));
    for (int i = 1; i <= s.NumPts; ++i) {
        EXPECT_EQ(s.DataPts.x(i), s.RawPts.x(i)) << i;
        EXPECT_EQ(s.DataPts.conc(i), s.RawPts.conc(i)) << i;
        EXPECT_EQ(s.DataPts.flag(i), s.RawPts.flag(i)) << i;
    }
    EXPECT_FLOAT_EQ(s.DataPts.flag(1), 100.0f);
    EXPECT_EQ(s.FirstIdx, 1) << "the good range follows the restored flags";
    EXPECT_FLOAT_EQ(s.FirstX, 5.8f);
    EXPECT_EQ(h.window->view(ViewTab::BlankFile)->toPlainText(), QStringLiteral(" "));
    EXPECT_EQ(h.window->tabs()->tabText(1), QStringLiteral("Blank File"));
    EXPECT_FALSE(enabled(h, MenuEntry::ClearBlank));
    EXPECT_TRUE(h.workFile().contains("   5.80000    1.00000E+00    1.000E+02\r\n"));
    EXPECT_FALSE(h.workFile().contains("E+00   1.000E+02"));
}

TEST(GetBlank, CancelReappliesTheLoadedBlankAndDropsNoise)
{
    Loaded l;
    Harness &h = l.h;
    l.blank(rampBlank);
    h.platform.modalActions.push_back([](QDialog &dialog) { dialog.accept(); });
    h.trigger(MenuEntry::AddNoise);
    ASSERT_TRUE(h.state->NoiseAdded);
    ASSERT_NE(h.state->DataPts.conc(2), 0.75f);
    QFile::remove(h.state->TmpPath);

    h.trigger(MenuEntry::GetBlankData); // cancelled
    l.expectConcs({ 0.9f, 0.75f, 1.7f, 0.7f });
    EXPECT_FALSE(h.state->NoiseAdded);
    EXPECT_FALSE(visible(h, MenuEntry::BackItOff));
    EXPECT_TRUE(visible(h, MenuEntry::AddNoise));
    EXPECT_TRUE(h.workFile().contains("\r\n   6.05000    7.50000E-01   2.500E+00\r\n"));
}

TEST(GetBlank, CancelWithoutABlankChangesNothing)
{
    Loaded l;
    Harness &h = l.h;
    h.trigger(MenuEntry::InvertC);
    const QByteArray before = h.workFile();
    const QString dir = QDir::currentPath();
    QDir::setCurrent(QDir::rootPath()); // as a dialog that wandered off leaves it

    h.trigger(MenuEntry::GetBlankData);
    EXPECT_EQ(QDir::currentPath(), dir) << "back in the working folder";
    EXPECT_FALSE(h.state->BlankLoaded);
    l.expectConcs({ -1.0f, -1.0f, -2.0f, -1.0f });
    EXPECT_EQ(h.workFile(), before);
    EXPECT_FALSE(enabled(h, MenuEntry::ClearBlank));
    EXPECT_EQ(h.window->tabs()->tabText(1), QStringLiteral("Blank File"));
}

TEST(GetBlank, WorkingFileFollowsTheBlanksFolder)
{
    Loaded l;
    Harness &h = l.h;
    QDir(h.folder.root()).mkdir(QStringLiteral("blanks"));
    l.blank(rampBlank, QStringLiteral("blanks/b.dat"));
    EXPECT_EQ(h.state->TmpPath, h.folder.path(QStringLiteral("blanks/~kelvane.tmp")));
    EXPECT_TRUE(h.workFile().contains("   2.500E+00"));
}

TEST(GetBlank, ABlankWithoutPointsCountsAsLoadedAndLeavesTheData)
{
    Loaded l;
    l.blank("only a comment line\r\n");
    EXPECT_TRUE(l.h.state->BlankLoaded);
    EXPECT_EQ(l.h.state->NumBlankPts, 0);
    l.expectConcs({ 1.0f, 1.0f, 2.0f, 1.0f });
    EXPECT_TRUE(enabled(l.h, MenuEntry::ClearBlank));
}

TEST(GetBlank, AnUnreadableBlankIsReportedAndTheLoadedOneStays)
{
    Loaded l;
    Harness &h = l.h;
    l.blank(rampBlank);
    // A plain file that every reader, root included, fails to read.
    const QString unreadable = QStringLiteral("/proc/self/mem");
    ASSERT_TRUE(FileExists(unreadable));
    h.choose(unreadable, MenuEntry::GetBlankData);
    ASSERT_EQ(h.platform.messages.size(), 1u);
    EXPECT_TRUE(h.platform.messages[0].text.startsWith(
        QStringLiteral("The blank file\n/proc/self/mem\ncould not be read")));
    EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("Get Blank File"));
    EXPECT_EQ(int(h.platform.messages[0].style), 48);
    EXPECT_EQ(h.state->NumBlankPts, 3);
    EXPECT_EQ(
        h.window->view(ViewTab::BlankFile)->toPlainText().left(10), QStringLiteral("ramp blank"));
    l.expectConcs({ 0.9f, 0.75f, 1.7f, 0.7f });
    EXPECT_EQ(h.state->TmpPath, h.folder.path(QStringLiteral("~kelvane.tmp")));
}
