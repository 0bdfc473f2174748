// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/NumLib.h"
#include "datafiles/SaveEditedFile.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

const MenuEntry saveEntries[] = { MenuEntry::SaveComplete, MenuEntry::SaveCompleteRSq,
    MenuEntry::SaveTruncated, MenuEntry::SaveTruncatedRSq };

void setPoint(ProgramState &s, int i, float x, float c, float f)
{
    s.DataPts.x(i) = x;
    s.DataPts.conc(i) = c;
    s.DataPts.flag(i) = f;
    s.NumPts = std::max(s.NumPts, i);
}

// A loaded data set of five points, the ends and the middle removed.
void fiveWithRemovals(ProgramState &s)
{
    setPoint(s, 1, 6.0f, 0.1f, -100.0f);
    setPoint(s, 2, 6.1f, 0.2f, 100.0f);
    setPoint(s, 3, 6.2f, -0.3f, -2.5f);
    setPoint(s, 4, 6.3f, 0.4f, 100.0f);
    setPoint(s, 5, 6.4f, 0.5f, -100.0f);
    s.FirstIdx = 2;
    s.LastIdx = 4;
    s.CommentBuf.setSlot(1, "first comment");
    s.CommentBuf.setSlot(2, "second");
    s.NumComments = 2;
}

QByteArray slot(const char *text)
{
    return QByteArray(text).leftJustified(96) + "\r\n";
}

// Enables the Save menu as a load does.
void offerSave(Harness &h)
{
    h.window->setMenuEnabled(MenuEntry::SaveDataFile, true);
}

} // namespace

TEST(Save, TheFourEntriesWriteTheirLayouts)
{
    struct Row {
        MenuEntry entry;
        QByteArray points;
    };
    const Row rows[] = {
        { MenuEntry::SaveComplete,
            "   6.00000    1.00000E-01   -1.000E+02\r\n"
            "   6.10000    2.00000E-01    1.000E+02\r\n"
            "   6.20000   -3.00000E-01   -2.500E+00\r\n"
            "   6.30000    4.00000E-01    1.000E+02\r\n"
            "   6.40000    5.00000E-01   -1.000E+02\r\n" },
        { MenuEntry::SaveCompleteRSq,
            "  18.00000    1.00000E-01   -1.000E+02\r\n"
            "  18.60500    2.00000E-01    1.000E+02\r\n"
            "  19.22000   -3.00000E-01   -2.500E+00\r\n"
            "  19.84500    4.00000E-01    1.000E+02\r\n"
            "  20.48000    5.00000E-01   -1.000E+02\r\n" },
        { MenuEntry::SaveTruncated,
            "   6.10000    2.00000E-01    1.000E+02\r\n"
            "   6.20000   -3.00000E-01   -2.500E+00\r\n"
            "   6.30000    4.00000E-01    1.000E+02\r\n" },
        { MenuEntry::SaveTruncatedRSq,
            "  18.60500    2.00000E-01    1.000E+02\r\n"
            "  19.22000   -3.00000E-01   -2.500E+00\r\n"
            "  19.84500    4.00000E-01    1.000E+02\r\n" },
    };
    Harness h;
    fiveWithRemovals(*h.state);
    offerSave(h);
    for (const Row &row : rows) {
        const QString target = h.folder.path(h.window->action(row.entry)->objectName() + ".dat");
        h.choose(target, row.entry);
        SCOPED_TRACE(target.toStdString());
        EXPECT_EQ(readFileBytes(target), slot("first comment") + slot("second") + row.points);
    }
    ASSERT_EQ(h.platform.fileDialogs.size(), 4u);
    const FileDialogSpec &spec = h.platform.fileDialogs[0];
    EXPECT_TRUE(spec.save);
    EXPECT_EQ(spec.title, QStringLiteral("Edited DataSet Name"));
    EXPECT_EQ(spec.filter, QStringLiteral("New Data File | *.*"));
    EXPECT_EQ(spec.initialName, QString());
    EXPECT_EQ(spec.maxFileSize, 127);
    EXPECT_EQ(spec.flags, 0x2002u);
    // Creating each new file was confirmed.
    EXPECT_EQ(h.platform.messages.size(), 4u);
}

TEST(Save, ExamplesOfTheLayout)
{
    struct Row {
        const char *name;
        float x, c, f;
        bool radius;
        QByteArray line;
    };
    const Row rows[] = {
        { "radius", 6.5f, 0.1234567f, 1.0f, true, "   6.50000    1.23457E-01    1.000E+00" },
        { "R^2/2", 6.5f, 0.1234567f, 1.0f, false, "  21.12500    1.23457E-01    1.000E+00" },
        { "R^2/2 below ten", 2.5f, 0.0f, 100.0f, false, "  03.12500    0.00000E+00    1.000E+02" },
        { "R^2/2 grows", 15.0f, 1.0f, 100.0f, false, "  112.50000    1.00000E+00    1.000E+02" },
        { "zero flag", 6.0f, 1.0f, 0.0f, true, "   6.00000    1.00000E+00    0.000E+00" },
        { "removed", 6.0f, -1.0f, -1.0f, true, "   6.00000   -1.00000E+00   -1.000E+00" },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto s = std::make_unique<ProgramState>();
        setPoint(*s, 1, row.x, row.c, row.f);
        EXPECT_EQ(EditedFileText(*s, true, row.radius), row.line + "\r\n");
    }
    auto empty = std::make_unique<ProgramState>();
    empty->FirstIdx = 3;
    empty->LastIdx = 2;
    EXPECT_EQ(EditedFileText(*empty, false, true), QByteArray())
        << "an empty range writes no points";
}

TEST(Save, TruncatedNeverWritesPointsOutsideTheDataSet)
{
    Harness h;
    // Nothing loaded: the range is still 0..0.
    h.trigger(MenuEntry::GetNewData); // cancelled, which offers Save
    const QString nothing = h.folder.path(QStringLiteral("nothing.dat"));
    h.choose(nothing, MenuEntry::SaveTruncated);
    EXPECT_EQ(readFileBytes(nothing), QByteArray());

    // A file without points after a full one keeps the old range, but its
    // stale points are not this data set's.
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    h.choose(
        h.folder.write(QStringLiteral("empty.dat"), "just a comment\r\n"), MenuEntry::GetNewData);
    ASSERT_EQ(h.state->LastIdx, 434);
    const QString saved = h.folder.path(QStringLiteral("saved.dat"));
    h.choose(saved, MenuEntry::SaveTruncated);
    EXPECT_EQ(readFileBytes(saved), QByteArray("just a comment").leftJustified(96) + "\r\n");
    for (const RecordedMessage &m : h.platform.messages)
        EXPECT_NE(m.title, QStringLiteral("Output File Error"));
}

TEST(Save, ASavedFileReadsBackAsTheDataSet)
{
    Harness h;
    h.choose(h.example(QStringLiteral("edited-scan.dat")), MenuEntry::GetNewData);
    const QString target = h.folder.path(QStringLiteral("saved.dat"));
    h.choose(target, MenuEntry::SaveComplete);

    NumLib lib;
    auto back = std::make_unique<ProgramState>();
    lib.getdata(back->RawPts, back->NumPts, target, back->NumComments, back->CommentBuf);
    const ProgramState &s = *h.state;
    ASSERT_EQ(back->NumPts, s.NumPts);
    ASSERT_EQ(back->NumComments, s.NumComments);
    for (int i = 1; i <= s.NumPts; ++i) {
        ASSERT_NEAR(back->RawPts.x(i), s.DataPts.x(i), 5e-6);
        ASSERT_NEAR(back->RawPts.conc(i), s.DataPts.conc(i), std::fabs(s.DataPts.conc(i)) * 5e-6);
        ASSERT_EQ(back->RawPts.flag(i), s.DataPts.flag(i));
    }
    EXPECT_EQ(back->CommentBuf.slot(3), s.CommentBuf.slot(3));

    // The R^2/2 form reads back as radii too.
    const QString xi = h.folder.path(QStringLiteral("saved-xi.dat"));
    h.choose(xi, MenuEntry::SaveTruncatedRSq);
    lib.getdata(back->RawPts, back->NumPts, xi, back->NumComments, back->CommentBuf);
    EXPECT_EQ(back->NumPts, s.LastIdx - s.FirstIdx + 1);
    EXPECT_NEAR(back->RawPts.x(1), s.DataPts.x(s.FirstIdx), 1e-5);
}

TEST(Save, CancelAndRefusedPromptsWriteNothing)
{
    Harness h;
    fiveWithRemovals(*h.state);
    offerSave(h);
    const QString existing = h.folder.write(QStringLiteral("old.dat"), "precious");
    const QString fresh = h.folder.path(QStringLiteral("fresh.dat"));
    const QString before = QDir::currentPath();

    h.trigger(MenuEntry::SaveComplete); // cancelled
    h.platform.fileAnswers = { existing };
    h.platform.messageAnswers = { MsgAnswer::No }; // do not replace; then the dialog is cancelled
    h.trigger(MenuEntry::SaveTruncated);
    h.platform.fileAnswers = { fresh };
    h.platform.messageAnswers = { MsgAnswer::No }; // do not create
    h.trigger(MenuEntry::SaveComplete);

    EXPECT_EQ(readFileBytes(existing), "precious");
    EXPECT_FALSE(QFile::exists(fresh));
    ASSERT_EQ(h.platform.messages.size(), 2u);
    EXPECT_TRUE(h.platform.messages[0].text.contains(QStringLiteral("already exists")));
    EXPECT_TRUE(h.platform.messages[1].text.contains(QStringLiteral("does not exist")));
    EXPECT_EQ(QDir::currentPath(), before);

    h.platform.fileAnswers = { existing };
    h.platform.messageAnswers = { MsgAnswer::Yes };
    h.trigger(MenuEntry::SaveComplete);
    EXPECT_TRUE(readFileBytes(existing).startsWith(slot("first comment")));
}

TEST(Save, FailuresKeepTheOldFileAndTheProgram)
{
    Harness h;
    fiveWithRemovals(*h.state);
    offerSave(h);
    const QString existing = h.folder.write(QStringLiteral("old.dat"), "precious");
    QDir(h.folder.root()).mkdir(QStringLiteral("a folder"));

    // A folder where the file should go.
    h.platform.fileAnswers = { h.folder.path(QStringLiteral("a folder")) };
    h.trigger(MenuEntry::SaveComplete);

    // A full disk: the file may grow to 100 bytes only.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    h.platform.fileAnswers = { existing };
    h.platform.messageAnswers = { MsgAnswer::Yes };
    h.trigger(MenuEntry::SaveComplete);
    setrlimit(RLIMIT_FSIZE, &saved);

    std::vector<RecordedMessage> errors;
    for (const RecordedMessage &m : h.platform.messages) {
        if (m.title == QStringLiteral("Output File Error"))
            errors.push_back(m);
    }
    ASSERT_EQ(errors.size(), 2u);
    for (const RecordedMessage &m : errors) {
        EXPECT_EQ(int(m.style), 48);
        EXPECT_TRUE(m.text.contains(QStringLiteral("not saved")));
        EXPECT_FALSE(m.text.contains(QStringLiteral("Ending"), Qt::CaseInsensitive));
        EXPECT_FALSE(m.text.contains(QStringLiteral("Unknown error"))) << m.text.toStdString();
    }
    // The system's own reason for the full disk.
    EXPECT_TRUE(errors[1].text.endsWith(QString::fromLocal8Bit(std::strerror(EFBIG))
        + QStringLiteral("\n\nNothing was changed; "
                         "your edits are still here.")))
        << errors[1].text.toStdString();
    EXPECT_EQ(readFileBytes(existing), "precious");
    EXPECT_EQ(QDir(h.folder.root()).entryList(QDir::Files | QDir::Hidden),
        (QStringList { QStringLiteral("old.dat") }))
        << "no partial or temporary file is left";
    EXPECT_TRUE(h.window->isVisible());
    EXPECT_EQ(h.state->NumPts, 5);
    EXPECT_FLOAT_EQ(h.state->DataPts.flag(3), -2.5f);
}

TEST(Save, InAFolderThatRefusesNewFilesAWritableFileIsWrittenInPlace)
{
    struct Row {
        const char *name;
        const char *file; // in the locked folder
        bool readOnly; // the existing file itself
        bool saved;
    };
    const Row rows[] = {
        { "a file that may be written", "old.dat", false, true },
        { "a read-only file", "old.dat", true, false },
        { "a new name", "new.dat", false, false },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Harness h;
        fiveWithRemovals(*h.state);
        offerSave(h);
        const QString existing = LockedFolderWith(h.folder, QStringLiteral("old.dat"), "precious");
        if (row.readOnly)
            QFile::setPermissions(existing, QFileDevice::ReadOwner);
        const QString target = h.folder.path(QStringLiteral("locked/") + row.file);
        {
            const PermissionsBind bind;
            if (!bind.active()) {
                Unlock(existing);
                GTEST_SKIP() << "file permissions cannot be made to bind here";
            }
            h.platform.fileAnswers = { target };
            h.platform.messageAnswers = { MsgAnswer::Yes };
            h.trigger(MenuEntry::SaveComplete);
        }
        Unlock(existing);
        const auto told = std::count_if(
            h.platform.messages.cbegin(), h.platform.messages.cend(), [](const RecordedMessage &m) {
                return m.title == QStringLiteral("Output File Error");
            });
        EXPECT_EQ(told, row.saved ? 0 : 1);
        if (row.saved)
            EXPECT_EQ(readFileBytes(target), EditedFileText(*h.state, true, true));
        else
            EXPECT_EQ(readFileBytes(existing), "precious");
        EXPECT_EQ(QDir(h.folder.path(QStringLiteral("locked"))).entryList(QDir::Files),
            QStringList { QStringLiteral("old.dat") });
    }
}
