// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/FitFile.h"
#include "core/Profile.h"
#include "datafiles/TextFiles.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <set>

namespace
{

// A radius scan of `n` points from 5.9 cm in steps of 0.01 cm, flag 100,
// with point 3's flag 2.5.
QByteArray scan(int n)
{
    QByteArray text = "a scan\r\n";
    for (int i = 0; i < n; ++i)
        text += QByteArray::number(5.9 + 0.01 * i, 'f', 4) + " " + QByteArray::number(0.1 * i) + " "
            + (i == 2 ? "2.5" : "100") + "\r\n";
    return text;
}

// Twenty left-out point numbers in fields of four characters.
QByteArray fields(std::initializer_list<int> points)
{
    QByteArray text;
    for (int p : points)
        text += QByteArray::number(p).rightJustified(4);
    return '"' + text + '"';
}

struct FitRig : Harness {
    FitRig() { platform.fileAnswers.clear(); }
    QString fit(const QByteArray &text) { return folder.write(QStringLiteral("fit.ini"), text); }
    void use(const QString &fitFile) { choose(fitFile, MenuEntry::UseFitFile); }
    QAction *entry(int i) { return window->dataSetAction(i); }
    std::vector<RecordedMessage> &messages() { return platform.messages; }
};

} // namespace

TEST(FitFile, UnusableListsChangeNothing)
{
    struct Row {
        const char *name;
        QByteArray text;
        const char *message;
        const char *title;
    };
    const Row rows[] = {
        { "no FileCount", "[File01]\nname=a.dat\n",
            "Error Reading FileCount::number!  Fit-File List Unusable.", "Fit-File Error!" },
        { "count of zero", "[FileCount]\nnumber=0\n[File01]\nname=a.dat\n",
            "Error Reading FileCount::number!  Fit-File List Unusable.", "Fit-File Error!" },
        { "count not a number", "[FileCount]\nnumber=many\n",
            "Error Reading FileCount::number!  Fit-File List Unusable.", "Fit-File Error!" },
        { "negative count", "[FileCount]\nnumber=-2\n[File01]\nname=a.dat\n",
            "No Data Files Were Found!", "All Data Files Missing!" },
        { "every file missing", "[FileCount]\nnumber=2\n[File01]\nname=gone.dat\n[File02]\n",
            "No Data Files Were Found!", "All Data Files Missing!" },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FitRig h;
        h.folder.write(QStringLiteral("a.dat"), scan(5));
        h.use(h.fit(row.text));
        ASSERT_EQ(h.messages().size(), 1u);
        EXPECT_EQ(h.messages()[0].text, QLatin1String(row.message));
        EXPECT_EQ(h.messages()[0].title, QLatin1String(row.title));
        EXPECT_EQ(int(h.messages()[0].style), 48);
        EXPECT_FALSE(h.state->FitFileOK);
        EXPECT_FALSE(h.window->action(MenuEntry::FilesLoaded)->isVisible());
        EXPECT_EQ(h.state->NumPts, 0);
    }
    FitRig cancel;
    cancel.trigger(MenuEntry::UseFitFile);
    EXPECT_TRUE(cancel.messages().empty());
    EXPECT_FALSE(cancel.state->FitFileOK);
    ASSERT_EQ(cancel.platform.fileDialogs.size(), 1u);
    EXPECT_EQ(cancel.platform.fileDialogs[0].title, QStringLiteral("Fit-File Name"));
    EXPECT_EQ(cancel.platform.fileDialogs[0].filter, QStringLiteral("Fit-File | *.*"));
    EXPECT_EQ(cancel.platform.fileDialogs[0].initialName, QStringLiteral("*.*"));
}

TEST(FitFile, MissingFilesLeaveTheOthersInOrder)
{
    FitRig h;
    h.folder.write(QStringLiteral("first.dat"), scan(30));
    h.folder.write(QStringLiteral("third.dat"), scan(30));
    // Written as the fitting program does on its desktop: CR LF, any case,
    // blanks around names, comments.
    h.use(h.fit("; written by the fit\r\n"
                "[FILECOUNT]\r\nNumber = 3\r\n"
                "[File01]\r\nname = first.dat\r\nXI_low=0\r\nXI_high=100\r\n"
                "[file02]\r\nname=second.dat\r\n"
                "[File03]\r\nNAME=third.dat\r\nxi_low=18.0\r\nXI_high=100\r\nnumber_deleted=2\r\n"
                "del_pts001="
        + fields({ 1, 30 }) + "\r\n"));
    ASSERT_EQ(h.messages().size(), 1u);
    EXPECT_EQ(h.messages()[0].text,
        QStringLiteral("Not All of the Data Files Were Found!  Continue Editing Good Files."));
    EXPECT_EQ(h.messages()[0].title, QStringLiteral("Data Files Missing!"));
    EXPECT_EQ(h.state->NumFitFound, 2);
    EXPECT_EQ(h.state->NumFitFiles, 2);
    EXPECT_TRUE(h.window->action(MenuEntry::FilesLoaded)->isVisible());
    EXPECT_EQ(h.entry(0)->text(), QStringLiteral("first.dat"));
    EXPECT_EQ(h.entry(1)->text(), QStringLiteral("third.dat"));
    EXPECT_TRUE(h.entry(1)->isVisible() && h.entry(1)->isEnabled());
    EXPECT_FALSE(h.entry(2)->isVisible());
    EXPECT_TRUE(h.entry(0)->isChecked());
    EXPECT_EQ(h.state->FitSectionNum(2), 3);

    // Entry 2 reads its range and left-out points from File03.
    h.entry(1)->trigger();
    EXPECT_TRUE(h.entry(1)->isChecked());
    EXPECT_FALSE(h.entry(0)->isChecked());
    const ProgramState &s = *h.state;
    EXPECT_EQ(s.ReadPath, QStringLiteral("third.dat"));
    EXPECT_FLOAT_EQ(s.FirstX, 6.0f);
    EXPECT_EQ(s.FirstIdx, 11) << "the first point at or above 6.0 cm";
    for (int i = 1; i <= 10; ++i)
        EXPECT_LT(s.DataPts.flag(i), 0.0f) << i;
    EXPECT_FLOAT_EQ(s.DataPts.flag(3), -2.5f) << "outside the range and listed: same magnitude";
    EXPECT_FLOAT_EQ(s.DataPts.flag(30), -100.0f);
    EXPECT_FLOAT_EQ(s.DataPts.flag(29), 100.0f);
    EXPECT_EQ(s.LastIdx, 30) << "left-out points do not move the range";
    EXPECT_FLOAT_EQ(s.RawPts.flag(1), s.DataPts.flag(1)) << "the marks hold after Clear Blank too";
    EXPECT_TRUE(h.workFile().contains("   5.90000    0.00000E+00   -1.000E+02\r\n"));
    EXPECT_EQ(h.window->tabs()->tabText(0), QStringLiteral("third.dat"));
    EXPECT_TRUE(h.window->action(MenuEntry::SaveDataFile)->isEnabled());
    EXPECT_TRUE(h.window->action(MenuEntry::GetBlankData)->isEnabled());
}

TEST(FitFile, LeftOutPointsComeTwentyToAKey)
{
    struct Row {
        const char *name;
        int numberDeleted;
        int removed; // points 1..removed end up deleted
    };
    const Row rows[]
        = { { "25 from two keys", 25, 25 }, { "20 from one key", 20, 20 }, { "fractional", 3, 3 } };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FitRig h;
        h.folder.write(QStringLiteral("a.dat"), scan(60));
        QByteArray text = "[FileCount]\nnumber=1\n[File01]\nname=a.dat\nXI_high=100\n";
        text += "number_deleted="
            + QByteArray(row.name[0] == 'f' ? "3.7" : QByteArray::number(row.numberDeleted)) + "\n";
        text += "del_pts001="
            + fields({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 })
            + "\n";
        text += "del_pts002=" + fields({ 21, 22, 23, 24, 25, 26, 27 }) + "\n";
        h.use(h.fit(text));
        for (int i = 1; i <= 30; ++i)
            EXPECT_EQ(h.state->DataPts.flag(i) < 0.0f, i <= row.removed) << "point " << i;
    }
}

TEST(FitFile, LeftOutPointsKeepTheirFieldsWhenTheLeadingBlanksAreCut)
{
    struct Row {
        const char *name;
        int numberDeleted;
        QByteArray value; // as written after "del_pts001="
        std::set<int> removed;
    };
    const Row rows[] = {
        { "as the fitting program writes it", 3, "  40  41 200", { 40, 41, 200 } },
        { "a number of three digits second", 3, "  40 150 300", { 40, 150, 300 } },
        { "blanks around the equals sign", 3, "   40  41 200  ", { 40, 41, 200 } },
        { "quoted", 3, "\"  40  41 200\"", { 40, 41, 200 } },
        { "quoted, read as written", 3, "\" 40 41 200\"", { 40, 41 } },
        { "longer than its fields", 2, "  40  41 200", { 40, 41 } },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FitRig h;
        h.folder.write(QStringLiteral("a.dat"), scan(300));
        h.use(h.fit("[FileCount]\r\nnumber=1\r\n[File01]\r\nname=a.dat\r\nXI_low=0\r\n"
                    "XI_high=100\r\nnumber_deleted="
            + QByteArray::number(row.numberDeleted) + "\r\ndel_pts001=" + row.value + "\r\n"));
        ASSERT_EQ(h.state->NumPts, 300);
        std::set<int> removed;
        for (int i = 1; i <= h.state->NumPts; ++i) {
            if (h.state->DataPts.flag(i) < 0.0f)
                removed.insert(i);
        }
        EXPECT_EQ(removed, row.removed);
    }
}

TEST(FitFile, EntriesShowEighteenCharacters)
{
    FitRig h;
    h.folder.write(QStringLiteral("abcdefghijklmn.dat"), scan(5));
    h.folder.write(QStringLiteral("abcdefghijklmno.dat"), scan(5));
    h.use(h.fit("[FileCount]\nnumber=2\n[File01]\nname=abcdefghijklmn.dat\nXI_high=100\n"
                "[File02]\nname=abcdefghijklmno.dat\nXI_high=100\n"));
    EXPECT_EQ(h.entry(0)->text(), QStringLiteral("abcdefghijklmn.dat"));
    EXPECT_EQ(h.entry(1)->text(), QStringLiteral("...bcdefghijklmno.dat"));
}

TEST(FitFile, ALoadedBlankIsClearedFirst)
{
    FitRig h;
    h.folder.write(QStringLiteral("a.dat"), scan(10));
    h.folder.write(QStringLiteral("b.dat"), scan(10));
    const QString blank = h.folder.write(QStringLiteral("blank.dat"), "5.8 0.5\n6.5 0.5\n");
    h.use(h.fit("[FileCount]\nnumber=2\n[File01]\nname=a.dat\nXI_high=100\n[File02]\nname=b."
                "dat\nXI_high=100\n"));
    h.choose(blank, MenuEntry::GetBlankData);
    ASSERT_TRUE(h.state->BlankLoaded);
    EXPECT_FLOAT_EQ(h.state->DataPts.conc(2), 0.1f - 0.5f);

    h.entry(1)->trigger();
    EXPECT_FALSE(h.state->BlankLoaded);
    EXPECT_FALSE(h.window->action(MenuEntry::ClearBlank)->isEnabled());
    EXPECT_EQ(h.window->tabs()->tabText(1), QStringLiteral("Blank File"));
    EXPECT_FLOAT_EQ(h.state->DataPts.conc(2), 0.1f);
}

TEST(FitFile, MalformedListsNeverReachOutsideTheData)
{
    FitRig h;
    h.folder.write(QStringLiteral("a.dat"), scan(10));
    QByteArray text = "[FileCount]\nnumber=1\n[File01]\nname=a.dat\nXI_low=abc\nXI_high=1e999\n"
                      "number_deleted=5000\n";
    text += "del_pts001=\"   0  -3 99999999abcd   4 1e30  12\"\n";
    for (int key = 2; key <= 120; ++key)
        text += "del_pts" + QByteArray::number(key).rightJustified(3, '0') + "="
            + fields({ 5, 11, 2200, 2201 }) + "\n";
    h.use(h.fit(text));
    const ProgramState &s = *h.state;
    EXPECT_EQ(s.NumPts, 10);
    EXPECT_LT(s.DataPts.flag(4), 0.0f);
    EXPECT_LT(s.DataPts.flag(5), 0.0f);
    EXPECT_GT(s.DataPts.flag(6), 0.0f);
    EXPECT_GT(s.DataPts.flag(1), 0.0f);
    EXPECT_EQ(ReadFitSelection(ProfileReader(s.FitFileName), 1).leftOut.size(), 2048u);
}

TEST(FitFile, MoreThanFifteenFilesOfferTheFirstFifteen)
{
    FitRig h;
    QByteArray text = "[FileCount]\nnumber=17\n";
    for (int i = 1; i <= 17; ++i) {
        const QString name = QStringLiteral("s%1.dat").arg(i);
        h.folder.write(name, scan(5));
        text += "[File" + QByteArray::number(i).rightJustified(2, '0')
            + "]\nname=" + name.toLatin1() + "\nXI_high=100\n";
    }
    h.use(h.fit(text));
    ASSERT_EQ(h.messages().size(), 1u);
    EXPECT_TRUE(h.messages()[0].text.contains(QStringLiteral("17")));
    EXPECT_EQ(h.state->NumFitFound, 15);
    EXPECT_EQ(h.entry(14)->text(), QStringLiteral("s15.dat"));
    EXPECT_TRUE(h.entry(14)->isVisible());
    EXPECT_EQ(h.state->ReadPath, QStringLiteral("s1.dat"));
}

TEST(FitFile, AnEmptyOrVanishedDataFileIsHandled)
{
    FitRig h;
    h.folder.write(QStringLiteral("full.dat"), scan(10));
    h.folder.write(QStringLiteral("empty.dat"), "only comments\r\n");
    const QString doomed = h.folder.write(QStringLiteral("doomed.dat"), scan(10));
    h.use(h.fit("[FileCount]\nnumber=3\n[File01]\nname=full.dat\nXI_high=100\n"
                "[File02]\nname=empty.dat\n[File03]\nname=doomed.dat\n"));
    ASSERT_EQ(h.state->NumPts, 10);

    h.entry(1)->trigger();
    EXPECT_EQ(h.state->NumPts, 0);
    EXPECT_EQ(h.workFile(), QByteArray("only comments").leftJustified(96) + "\r\n")
        << "no point of the previous data set is shown as the new one";
    EXPECT_TRUE(h.entry(1)->isChecked());
    ASSERT_EQ(h.messages().size(), 1u);
    EXPECT_TRUE(h.messages().back().text.endsWith(QStringLiteral("holds no data points.")));
    EXPECT_FALSE(h.window->action(MenuEntry::EditMenuChoice)->isEnabled());
    EXPECT_FALSE(h.window->action(MenuEntry::SaveDataFile)->isEnabled());

    QFile::remove(doomed);
    h.entry(2)->trigger();
    ASSERT_FALSE(h.messages().empty());
    EXPECT_TRUE(h.messages().back().text.contains(QStringLiteral("no longer exists")));
    EXPECT_TRUE(h.entry(1)->isChecked()) << "the loaded data set stays";
}

TEST(FitFile, LenientNumbers)
{
    struct Row {
        const char *text;
        double value;
    };
    const Row rows[] = { { "  18.5", 18.5 }, { "-2", -2 }, { "1.5.3", 1.5 }, { "3e2x", 300 },
        { "2D-1", 0.2 }, { "abc", 0 }, { "", 0 }, { "+.5", 0.5 }, { "7e", 7 }, { "  12  13", 12 },
        { "1e999", HUGE_VAL } };
    for (const Row &row : rows)
        EXPECT_DOUBLE_EQ(LenientNumber(row.text), row.value) << row.text;
}
