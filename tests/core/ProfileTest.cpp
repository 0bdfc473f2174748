// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Profile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

TEST(Profile, ReadsAsTheProfileCallsDo)
{
    TestFolder folder;
    const QString file = folder.write(QStringLiteral("fit.ini"),
        "; a comment\r\n"
        "[FileCount]\r\n"
        "  NUMBER =  3  \r\n"
        "[File01]\r\n"
        "name = \"  spaced name.dat  \"\r\n"
        "XI_low='18.5'\r\n"
        "negative=-7\r\n"
        "words=abc\r\n"
        "leading=12abc\r\n"
        "name=second value is not read\r\n");
    EXPECT_EQ(GetProfileInt(file, "filecount", "Number", 99), 3);
    EXPECT_EQ(GetProfileInt(file, "FileCount", "missing", 99), 99);
    EXPECT_EQ(GetProfileInt(file, "NoSection", "number", -1), -1);
    EXPECT_EQ(GetProfileInt(folder.path(QStringLiteral("none.ini")), "FileCount", "number", 5), 5);
    EXPECT_EQ(GetProfileInt(file, "File01", "negative", 0), -7);
    EXPECT_EQ(GetProfileInt(file, "File01", "words", 5), 0);
    EXPECT_EQ(GetProfileInt(file, "File01", "leading", 5), 12);

    EXPECT_EQ(GetProfileString(file, "file01", "NAME", "x", 128), "  spaced name.dat  ");
    EXPECT_EQ(GetProfileString(file, "File01", "XI_low", "0", 96), "18.5");
    EXPECT_EQ(GetProfileString(file, "File01", "name", "x", 6), "  spa");
    EXPECT_EQ(GetProfileString(file, "File02", "name", "", 128), "");
}

TEST(Profile, WritesOneKeyAndKeepsTheRest)
{
    TestFolder folder;
    const QString file = folder.path(QStringLiteral("new/folder/Kelvane.ini"));
    ASSERT_TRUE(WriteProfileString(file, "GoodData", "Red", "12"));
    ASSERT_TRUE(WriteProfileString(file, "LastAccess", "Date", "03-09-2026"));
    ASSERT_TRUE(WriteProfileString(file, "gooddata", "RED", "13"));
    EXPECT_EQ(GetProfileInt(file, "GoodData", "Red", 0), 13);
    EXPECT_EQ(GetProfileString(file, "LastAccess", "Date", "", 64), "03-09-2026");
    const QByteArray bytes = readFileBytes(file);
    EXPECT_TRUE(bytes.contains("Date=03-09-2026")) << bytes.constData();
    EXPECT_EQ(bytes.toLower().count("red="), 1) << bytes.constData();
}

TEST(Profile, AFileThatCannotBeWrittenIsReported)
{
    TestFolder folder;
    folder.write(QStringLiteral("plain"), "x");
    EXPECT_FALSE(
        WriteProfileString(folder.path(QStringLiteral("plain/Kelvane.ini")), "A", "b", "c"));
}

TEST(Profile, InAFolderThatRefusesNewFilesTheFileIsWrittenInPlace)
{
    TestFolder folder;
    const QString file = LockedFolderWith(folder, QStringLiteral("Kelvane.ini"), "[A]\nb=1\n");
    bool written = false;
    {
        const PermissionsBind bind;
        if (!bind.active()) {
            Unlock(file);
            GTEST_SKIP() << "file permissions cannot be made to bind here";
        }
        written = WriteProfileString(file, "GoodData", "Red", "12");
    }
    Unlock(file);
    EXPECT_TRUE(written);
    EXPECT_EQ(GetProfileInt(file, "GoodData", "Red", 0), 12);
    EXPECT_EQ(GetProfileInt(file, "A", "b", 0), 1);
}
