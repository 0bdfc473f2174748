#include "shell/QtPlatform.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSysInfo>

namespace
{

// Keeps the current directory of the test process as it was.
struct CurrentDir {
    QString saved = QDir::currentPath();
    ~CurrentDir() { QDir::setCurrent(saved); }
};

} // namespace

TEST(Platform, FiltersBecomeQtNameFilters)
{
    EXPECT_EQ(
        Platform::qtNameFilter(QStringLiteral("Data File | *.*")), QStringLiteral("Data File (*)"));
    EXPECT_EQ(
        Platform::qtNameFilter(QStringLiteral("Bitmap | *.bmp")), QStringLiteral("Bitmap (*.bmp)"));
    EXPECT_EQ(
        Platform::qtNameFilter(QStringLiteral("Fit-File | *.*")), QStringLiteral("Fit-File (*)"));
}

TEST(Platform, AChosenFileMakesItsFolderCurrent)
{
    CurrentDir keep;
    TestFolder folder;
    QDir(folder.root()).mkdir(QStringLiteral("sub"));
    const QString file = folder.write(QStringLiteral("sub/scan.dat"), "6 1\n");
    ScriptedPlatform platform;
    platform.fileAnswers = { std::nullopt, file };
    FileDialogSpec open;
    open.flags = FileDialogFlag::FileMustExist;
    EXPECT_EQ(platform.fileDialog(open), std::nullopt);
    EXPECT_EQ(QDir::currentPath(), keep.saved) << "a cancel changes nothing";
    EXPECT_EQ(platform.fileDialog(open), file);
    EXPECT_EQ(QDir::currentPath(), QDir(folder.path(QStringLiteral("sub"))).canonicalPath());
}

TEST(Platform, SaveDialogPrompts)
{
    CurrentDir keep;
    TestFolder folder;
    const QString existing = folder.write(QStringLiteral("old.dat"), "x");
    const QString fresh = folder.path(QStringLiteral("new.dat"));
    ScriptedPlatform platform;
    FileDialogSpec save;
    save.save = true;
    save.title = QStringLiteral("Edited DataSet Name");
    save.flags = FileDialogFlag::CreatePrompt | FileDialogFlag::OverwritePrompt;

    // No to the overwrite question shows the dialog again; then Cancel.
    platform.fileAnswers = { existing };
    platform.messageAnswers = { MsgAnswer::No };
    EXPECT_EQ(platform.fileDialog(save), std::nullopt);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
        QStringLiteral("old.dat already exists.\nDo you want to replace it?"));
    EXPECT_EQ(platform.messages[0].title, save.title);
    EXPECT_EQ(platform.fileDialogs.size(), 2u);

    platform.fileAnswers = { fresh };
    platform.messageAnswers = { MsgAnswer::Yes };
    EXPECT_EQ(platform.fileDialog(save), fresh);
    EXPECT_TRUE(platform.messages.back().text.contains(QStringLiteral("does not exist")));

    // The default extension goes onto a name without one.
    FileDialogSpec bitmap;
    bitmap.save = true;
    bitmap.defaultExt = QStringLiteral("bmp");
    platform.fileAnswers
        = { folder.path(QStringLiteral("plot")), folder.path(QStringLiteral("plot.png")) };
    EXPECT_EQ(platform.fileDialog(bitmap), folder.path(QStringLiteral("plot.bmp")));
    EXPECT_EQ(platform.fileDialog(bitmap), folder.path(QStringLiteral("plot.png")));
}

TEST(Platform, QtPlatformServices)
{
    TestFolder folder;
    qputenv("XDG_CONFIG_HOME", folder.root().toLocal8Bit());
    EXPECT_EQ(QtPlatform::standardSettingsFilePath(), folder.path(QStringLiteral("Kelvane.ini")));
    qunsetenv("XDG_CONFIG_HOME");

    QtPlatform platform(folder.path(QStringLiteral("kelvane.lock")));
    platform.seedRandomFromClock();
    for (int i = 0; i < 100000; ++i) {
        const float u = platform.uniformRandom();
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 1.0f);
    }
}

TEST(Platform, OneInstanceHoldsTheGuard)
{
    TestFolder folder;
    const QString lock = folder.path(QStringLiteral("kelvane.lock"));
    auto first = std::make_unique<QtPlatform>(lock);
    EXPECT_FALSE(first->anotherInstanceRunning());
    EXPECT_FALSE(first->anotherInstanceRunning()) << "asking again keeps the guard";
    QtPlatform second(lock);
    EXPECT_TRUE(second.anotherInstanceRunning());
    first.reset();
    QtPlatform third(lock);
    EXPECT_FALSE(third.anotherInstanceRunning());
}

TEST(Platform, AGuardLeftByADeadProcessIsTakenOver)
{
    TestFolder folder;
    // The lock file of a process that no longer exists.
    folder.write(QStringLiteral("kelvane.lock"),
        "2147483600\nkelvane\n" + QSysInfo::machineHostName().toLocal8Bit() + "\n");
    QtPlatform platform(folder.path(QStringLiteral("kelvane.lock")));
    EXPECT_FALSE(platform.anotherInstanceRunning());
}
