#include "shell/Profile.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>

namespace
{

struct EntryRow {
    MenuEntry entry;
    const char *name;
    const char *caption;
    bool enabled;
    bool visible;
};

const EntryRow entryRows[] = {
    { MenuEntry::FileMenu, "FileMenu", "File", true, true },
    { MenuEntry::GetNewData, "GetNewData", "Get Data", true, true },
    { MenuEntry::UseFitFile, "UseFitFile", "Get File(s) From Fit-File", true, true },
    { MenuEntry::GetBlankData, "GetBlankData", "Get Blank", false, true },
    { MenuEntry::ClearBlank, "ClearBlank", "Clear Blank", false, true },
    { MenuEntry::FilesLoaded, "FilesLoaded", "LoadedFiles", true, false },
    { MenuEntry::EditMenuChoice, "EditMenuChoice", "Edit", false, true },
    { MenuEntry::DoPlotwork, "DoPlotwork", "Data (graphically)", true, true },
    { MenuEntry::EditComment1, "EditComment1", "Comment Lines", true, true },
    { MenuEntry::InvertC, "InvertC", "Invert Sign of Data", true, true },
    { MenuEntry::AddNoise, "AddNoise", "Add Random Noise", true, true },
    { MenuEntry::BackItOff, "BackItOff", "Remove Random Noise", false, false },
    { MenuEntry::SaveDataFile, "SaveDataFile", "Save", false, true },
    { MenuEntry::SaveComplete, "SaveComplete", "Complete", true, true },
    { MenuEntry::SaveCompleteRSq, "SaveCompleteRSq", "Complete (as R^2/2)", true, true },
    { MenuEntry::SaveTruncated, "SaveTruncated", "Truncated", true, true },
    { MenuEntry::SaveTruncatedRSq, "SaveTruncatedRSq", "Truncated (as R^2/2)", true, true },
    { MenuEntry::SetColors, "SetColors", "Set Plot Colors", true, true },
};

} // namespace

TEST(MainWindow, MenuEntriesStartAsDocumented)
{
    Harness h;
    for (const EntryRow &row : entryRows) {
        SCOPED_TRACE(row.name);
        const QAction *action = h.window->action(row.entry);
        ASSERT_TRUE(action);
        EXPECT_EQ(action->objectName(), QLatin1String(row.name));
        EXPECT_EQ(action->text(), QLatin1String(row.caption));
        EXPECT_EQ(action->isVisible(), row.visible);
        // Qt reports a hidden action as disabled; its own state shows once shown.
        QAction *shown = h.window->action(row.entry);
        shown->setVisible(true);
        EXPECT_EQ(shown->isEnabled(), row.enabled);
        shown->setVisible(row.visible);
    }
    QStringList topLevel;
    for (const QAction *action : h.window->menuBar()->actions())
        topLevel << action->text();
    EXPECT_EQ(topLevel, (QStringList { "File", "LoadedFiles", "Edit", "Save", "Set Plot Colors" }));
    const QMenu *file = h.window->action(MenuEntry::FileMenu)->menu();
    ASSERT_TRUE(file);
    EXPECT_EQ(file->actions().size(), 4);
}

TEST(MainWindow, DataSetEntriesAreCreatedOnLoad)
{
    Harness h;
    const QAction *first = h.window->dataSetAction(0);
    EXPECT_EQ(first->text(), QStringLiteral("1"));
    EXPECT_FALSE(first->isEnabled());
    EXPECT_TRUE(first->isChecked());
    for (int i = 1; i < 15; ++i) {
        const QAction *item = h.window->dataSetAction(i);
        EXPECT_EQ(item->text(), QStringLiteral("%1: ").arg(i + 1));
        EXPECT_EQ(item->objectName(), QStringLiteral("DSNames"));
        EXPECT_EQ(item->property("Index").toInt(), i);
        EXPECT_FALSE(item->isEnabled());
        EXPECT_FALSE(item->isVisible());
        EXPECT_FALSE(item->isChecked());
    }
    EXPECT_EQ(h.window->action(MenuEntry::FilesLoaded)->menu()->actions().size(), 15);
}

TEST(MainWindow, ViewsAndPlacement)
{
    Harness h;
    EXPECT_EQ(h.window->objectName(), QStringLiteral("Form1"));
    const QTabWidget *tabs = h.window->tabs();
    EXPECT_EQ(tabs->objectName(), QStringLiteral("SSTab1"));
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Data File"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Blank File"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Edited Data File"));
    for (ViewTab tab : { ViewTab::DataFile, ViewTab::BlankFile, ViewTab::EditedDataFile }) {
        const QPlainTextEdit *view = h.window->view(tab);
        EXPECT_TRUE(view->isReadOnly());
        EXPECT_EQ(view->font().family(), QStringLiteral("Courier New"));
        EXPECT_DOUBLE_EQ(view->font().pointSizeF(), 7.5);
        EXPECT_TRUE(view->fontInfo().fixedPitch());
        EXPECT_FALSE(view->accessibleName().isEmpty());
    }
    EXPECT_NEAR(h.window->x(), (1280 - h.window->width()) / 4.0, 0.5);
    EXPECT_NEAR(h.window->y(), (1024 - h.window->height()) / 4.0, 0.5);
}

TEST(MainWindow, ClosingAsksAndNoChangesNothing)
{
    Harness h;
    h.state->GoodRed = 44;
    h.platform.messageAnswers.push_back(MsgAnswer::No);
    EXPECT_FALSE(h.window->close());
    EXPECT_TRUE(h.window->isVisible());
    ASSERT_EQ(h.platform.messages.size(), 1u);
    EXPECT_EQ(h.platform.messages[0].text, QStringLiteral("Are you sure you want to exit?"));
    EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("Exit Program?"));
    EXPECT_EQ(h.platform.messages[0].style, 36);
    EXPECT_FALSE(readFileBytes(h.platform.settingsFile).contains("GoodData"));

    h.platform.messageAnswers.push_back(MsgAnswer::Yes);
    EXPECT_TRUE(h.window->close());
    EXPECT_EQ(GetProfileInt(h.platform.settingsFile, "GoodData", "Red", -1), 44);
    EXPECT_EQ(GetProfileInt(h.platform.settingsFile, "DeletedData", "Red", -1), 255);
}

TEST(MainWindow, NoticeShowsOnlyWithText)
{
    Harness h;
    EXPECT_TRUE(h.window->notice()->isHidden() || h.window->notice()->text().isEmpty());
    h.window->setNotice(QStringLiteral("working file trouble"));
    EXPECT_TRUE(h.window->notice()->isVisibleTo(h.window.get()));
    h.window->setNotice(QString());
    EXPECT_FALSE(h.window->notice()->isVisibleTo(h.window.get()));
}
