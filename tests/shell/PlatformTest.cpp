// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/QtPlatform.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

#include <thread>

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

TEST(Platform, LongWorkRunsApartShowsProgressAfterHalfASecondAndStopsOnCancel)
{
    QtPlatform platform(QDir::temp().filePath(QStringLiteral("kelvane-work-test.lock")));
    // Quick work: done on another thread, no window shown.
    std::thread::id worker;
    bool shown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&shown] {
        for (QWidget *top : QApplication::topLevelWidgets())
            shown = shown || (qobject_cast<QProgressDialog *>(top) && top->isVisible());
    });
    watch.start(10);
    EXPECT_TRUE(platform.runLongWork(QStringLiteral("Quick"), [&](WorkProgress &progress) {
        worker = std::this_thread::get_id();
        progress.report(1, 1);
    }));
    EXPECT_NE(worker, std::this_thread::get_id());
    EXPECT_FALSE(shown);

    // Long work: the progress window comes with its label and a Cancel that
    // stops the work; the window thread kept running meanwhile.
    QElapsedTimer clock;
    clock.start();
    qint64 shownAfter = -1;
    int ticks = 0;
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        ++ticks;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QProgressDialog *>(top);
            if (dialog && dialog->isVisible() && shownAfter < 0) {
                shownAfter = clock.elapsed();
                EXPECT_EQ(dialog->labelText(), QStringLiteral("Reading 10,000 files"));
                EXPECT_EQ(dialog->maximum(), 10000);
                dialog->cancel();
            }
        }
    });
    cancel.start(20);
    int done = 0;
    const bool finished = platform.runLongWork(
        QStringLiteral("Reading 10,000 files"), [&done](WorkProgress &progress) {
            for (done = 0; done < 10000 && !progress.cancelled(); ++done) {
                progress.report(done, 10000);
                QThread::msleep(2);
            }
        });
    EXPECT_FALSE(finished);
    EXPECT_GE(shownAfter, 450) << "not before half a second";
    EXPECT_LT(done, 10000) << "stopped by Cancel";
    EXPECT_GT(ticks, 10) << "the window thread ran meanwhile";
}
