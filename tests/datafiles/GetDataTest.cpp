// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/TextFiles.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QAction>
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

} // namespace

TEST(GetData, LoadsAnExampleEndToEnd)
{
    Harness h;
    const QString scan = h.example(QStringLiteral("radius-scan.dat"));
    h.choose(scan, MenuEntry::GetNewData);

    ASSERT_EQ(h.platform.fileDialogs.size(), 1u);
    const FileDialogSpec &spec = h.platform.fileDialogs[0];
    EXPECT_EQ(spec.title, QStringLiteral("Get Data File"));
    EXPECT_EQ(spec.filter, QStringLiteral("Data File | *.*"));
    EXPECT_EQ(spec.initialName, QString());
    EXPECT_EQ(spec.flags, 0x1800u);
    EXPECT_FALSE(spec.save);

    const ProgramState &s = *h.state;
    EXPECT_EQ(s.NumPts, 434);
    EXPECT_EQ(s.NumComments, 2);
    EXPECT_EQ(s.ReadPath, scan);
    EXPECT_EQ(s.FirstIdx, 1);
    EXPECT_EQ(s.LastIdx, 434);
    EXPECT_TRUE(s.IsRadius);
    EXPECT_EQ(s.DataPts.conc(100), s.RawPts.conc(100));

    EXPECT_EQ(h.window->view(ViewTab::DataFile)->toPlainText().toLatin1(),
        readFileBytes(scan).replace("\r\n", "\n"));
    const QByteArray work = h.workFile();
    EXPECT_TRUE(work.startsWith("Sedora example: sedimentation velocity, cell 1, 280 nm"));
    EXPECT_EQ(work.count("\r\n"), 436);
    EXPECT_EQ(h.window->tabs()->tabText(0), TabCaptionFor(scan));
    EXPECT_TRUE(h.window->tabs()->tabText(0).startsWith(QStringLiteral("...")));

    EXPECT_TRUE(enabled(h, MenuEntry::GetBlankData));
    EXPECT_TRUE(enabled(h, MenuEntry::SaveDataFile));
    EXPECT_TRUE(enabled(h, MenuEntry::EditMenuChoice));
    EXPECT_FALSE(visible(h, MenuEntry::FilesLoaded));
    EXPECT_TRUE(enabled(h, MenuEntry::AddNoise) && visible(h, MenuEntry::AddNoise));
    EXPECT_FALSE(enabled(h, MenuEntry::BackItOff) || visible(h, MenuEntry::BackItOff));
    EXPECT_FALSE(enabled(h, MenuEntry::ClearBlank));
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(GetData, ALibraryThatCannotBeLoadedIsReportedAndChangesNothing)
{
    // Missing altogether, and present without the exports.
    const std::vector<std::string> broken[]
        = { { "/nowhere/libkelvane.so", "libkelvane-gone.so" }, { "libm.so.6" } };
    const char *reasons[] = { "libkelvane-gone.so: cannot open shared object file",
        "libm.so.6 lacks getdata, blank or tkrnd2" };
    for (size_t k = 0; k < std::size(broken); ++k) {
        Harness h(broken[k]);
        h.trigger(MenuEntry::GetNewData);

        ASSERT_EQ(h.platform.messages.size(), 1u) << reasons[k];
        const RecordedMessage &m = h.platform.messages[0];
        EXPECT_TRUE(m.text.startsWith(
            QStringLiteral("The numeric library libkelvane.so could not be loaded: ")))
            << m.text.toStdString();
        EXPECT_TRUE(m.text.contains(QLatin1String(reasons[k]))) << m.text.toStdString();
        EXPECT_EQ(m.title, QStringLiteral("Sedora"));
        EXPECT_TRUE(h.platform.fileDialogs.empty()) << "no file is asked for in vain";
        EXPECT_EQ(h.state->NumPts, 0);
        EXPECT_FALSE(enabled(h, MenuEntry::SaveDataFile));
        EXPECT_FALSE(enabled(h, MenuEntry::EditMenuChoice));
        EXPECT_FALSE(enabled(h, MenuEntry::GetBlankData));
        EXPECT_EQ(h.workFile(), QByteArray());
    }
}

TEST(GetData, XiDataIsShownAsWrittenAndEditedAsRadii)
{
    Harness h;
    const QString scan = h.example(QStringLiteral("xi-scan.dat"));
    h.choose(scan, MenuEntry::GetNewData);
    EXPECT_TRUE(
        h.window->view(ViewTab::DataFile)->toPlainText().contains(QStringLiteral("  17.40500")));
    EXPECT_TRUE(h.workFile().contains("\r\n   5.90000    6.78136E-03    1.000E+02\r\n"));
    EXPECT_TRUE(h.state->IsRadius);
}

TEST(GetData, CancelRewritesTheCurrentDataSet)
{
    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    // Noise on the data, as Add Random Noise leaves it.
    h.state->DataPts.conc(1) += 0.5f;
    h.state->NoiseAdded = true;
    h.window->setMenuVisible(MenuEntry::AddNoise, false);
    h.window->setMenuVisible(MenuEntry::BackItOff, true);
    h.window->setMenuEnabled(MenuEntry::BackItOff, true);
    const float noisy = h.state->DataPts.conc(1);
    const QString dataDir = QDir::currentPath();

    h.trigger(MenuEntry::GetNewData); // the dialog is cancelled
    EXPECT_EQ(h.state->DataPts.conc(1), noisy);
    EXPECT_EQ(h.state->NumPts, 434);
    // 6.78136E-03 as read, plus the 0.5 of noise.
    EXPECT_TRUE(h.workFile().contains("   5.90000    5.06781E-01    1.000E+02\r\n"));
    EXPECT_FALSE(h.state->NoiseAdded);
    EXPECT_FALSE(visible(h, MenuEntry::BackItOff));
    EXPECT_TRUE(visible(h, MenuEntry::AddNoise));
    EXPECT_EQ(QDir::currentPath(), dataDir);
}

TEST(GetData, AFileWithoutPointsIsNamedAndSaidToHoldNone)
{
    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    const int lastIdx = h.state->LastIdx;
    const QString empty
        = h.folder.write(QStringLiteral("comments-only.dat"), "only a comment\r\nand another\r\n");

    h.choose(empty, MenuEntry::GetNewData);
    const ProgramState &s = *h.state;
    EXPECT_EQ(s.NumPts, 0);
    EXPECT_EQ(s.NumComments, 2);
    EXPECT_EQ(s.FirstIdx, 1);
    EXPECT_EQ(s.LastIdx, lastIdx);
    EXPECT_EQ(h.window->tabs()->tabText(0), TabCaptionFor(empty));
    EXPECT_TRUE(h.window->view(ViewTab::DataFile)
                    ->toPlainText()
                    .startsWith(QStringLiteral("only a comment")));
    EXPECT_EQ(h.workFile(),
        QByteArray("only a comment").leftJustified(96) + "\r\n"
            + QByteArray("and another").leftJustified(96) + "\r\n");
    ASSERT_EQ(h.platform.messages.size(), 1u);
    EXPECT_EQ(h.platform.messages[0].text,
        QStringLiteral("The data file\n%1\nholds no data points.").arg(empty));
    EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("Get Data File"));
    EXPECT_EQ(h.platform.messages[0].style, MsgStyle::Exclamation);
    EXPECT_FALSE(enabled(h, MenuEntry::EditMenuChoice));
    EXPECT_FALSE(enabled(h, MenuEntry::SaveDataFile));

    // Points again, Edit and Save again.
    h.choose(h.example(QStringLiteral("edited-scan.dat")), MenuEntry::GetNewData);
    EXPECT_TRUE(enabled(h, MenuEntry::EditMenuChoice));
    EXPECT_TRUE(enabled(h, MenuEntry::SaveDataFile));

    // Before anything was loaded, a cancelled dialog offers neither.
    Harness fresh;
    fresh.trigger(MenuEntry::GetNewData);
    EXPECT_FALSE(enabled(fresh, MenuEntry::EditMenuChoice));
    EXPECT_FALSE(enabled(fresh, MenuEntry::SaveDataFile));
}

TEST(GetData, ALoadedBlankIsSubtractedFromTheNewData)
{
    Harness h;
    ProgramState &s = *h.state;
    // A blank as Get Blank leaves it: 0.1 .. 0.3 over 5.9 .. 6.1.
    const float bx[] = { 5.9f, 6.0f, 6.1f };
    const float bc[] = { 0.1f, 0.2f, 0.3f };
    for (int i = 1; i <= 3; ++i) {
        s.BlankPts.x(i) = bx[i - 1];
        s.BlankPts.conc(i) = bc[i - 1];
    }
    s.NumBlankPts = 3;
    s.BlankLoaded = true;
    const QString scan
        = h.folder.write(QStringLiteral("d.dat"), "5.8 1.0 -2\n6.05 1.0\n6.2 1.0 3\n");
    h.choose(scan, MenuEntry::GetNewData);
    EXPECT_FLOAT_EQ(s.DataPts.conc(1), 0.9f);
    EXPECT_FLOAT_EQ(s.DataPts.conc(2), 0.75f);
    EXPECT_FLOAT_EQ(s.DataPts.conc(3), 0.7f);
    EXPECT_FLOAT_EQ(s.DataPts.flag(1), -2.0f) << "flags come from the new file";
    EXPECT_FLOAT_EQ(s.DataPts.flag(3), 3.0f);
    EXPECT_FLOAT_EQ(s.RawPts.conc(2), 1.0f);
    EXPECT_TRUE(h.workFile().contains("   6.05000    7.50000E-01    1.000E+02\r\n"));
}

TEST(GetData, TabCaptionKeepsEighteenCharacters)
{
    Harness h;
    // Relative names as a dialog never gives them, to control the length.
    for (const auto &[name, caption] : { std::pair("abcdefghijklmn.dat", "abcdefghijklmn.dat"),
             std::pair("abcdefghijklmno.dat", "...bcdefghijklmno.dat") }) {
        const QString path = h.folder.write(QString::fromLatin1(name), "6.0 1\n");
        QDir::setCurrent(h.folder.root());
        h.platform.fileAnswers.push_back(path);
        h.trigger(MenuEntry::GetNewData);
        EXPECT_EQ(h.window->tabs()->tabText(0), TabCaptionFor(h.state->ReadPath));
        EXPECT_EQ(TabCaptionFor(QString::fromLatin1(name)), QString::fromLatin1(caption));
    }
}

TEST(GetData, ALongPathIsReadWhole)
{
    Harness h;
    QString deep = h.folder.root();
    for (int i = 0; i < 12; ++i) {
        deep += QStringLiteral("/a_rather_long_folder_name_%1").arg(i);
        QDir().mkpath(deep);
    }
    const QString scan = deep + QStringLiteral("/scan.dat");
    QFile::copy(examplePath(QStringLiteral("radius-scan.dat")), scan);
    ASSERT_GT(scan.size(), 300);
    h.choose(scan, MenuEntry::GetNewData);
    EXPECT_EQ(h.state->NumPts, 434);
    EXPECT_EQ(h.state->ReadPath, scan);
}

TEST(GetData, AFileThatCannotBeReadIsReportedAndChangesNothing)
{
    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    // A plain file that every reader, root included, fails to read, as a file
    // does that vanished or became unreadable after the dialog saw it.
    h.choose(QStringLiteral("/proc/self/mem"), MenuEntry::GetNewData);
    EXPECT_EQ(h.state->NumPts, 434) << "the data set stays";
    EXPECT_EQ(h.state->NumComments, 2);
    ASSERT_EQ(h.platform.messages.size(), 1u);
    EXPECT_TRUE(h.platform.messages[0].text.startsWith(
        QStringLiteral("The data file\n/proc/self/mem\ncould not be read")));
    EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("Get Data File"));
    EXPECT_TRUE(h.workFile().contains("   5.90000"));
}
