// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Profile.h"
#include "support/EditorSupport.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSet>
#include <QTabWidget>
#include <QTest>

#include <functional>

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

// The caption as shown, without the mnemonic's marker.
QString caption(const QAction *action)
{
    return QString(action->text()).remove(QLatin1Char('&'));
}

} // namespace

TEST(MainWindow, MenuEntriesStartAsDocumented)
{
    Harness h;
    for (const EntryRow &row : entryRows) {
        SCOPED_TRACE(row.name);
        const QAction *action = h.window->action(row.entry);
        ASSERT_TRUE(action);
        EXPECT_EQ(action->objectName(), QLatin1String(row.name));
        EXPECT_EQ(caption(action), QLatin1String(row.caption));
        EXPECT_EQ(action->isVisible(), row.visible);
        // Qt reports a hidden action as disabled; its own state shows once shown.
        QAction *shown = h.window->action(row.entry);
        shown->setVisible(true);
        EXPECT_EQ(shown->isEnabled(), row.enabled);
        shown->setVisible(row.visible);
    }
    QStringList topLevel;
    for (const QAction *action : h.window->menuBar()->actions())
        topLevel << caption(action);
    EXPECT_EQ(topLevel, (QStringList { "File", "LoadedFiles", "Edit", "Save", "Set Plot Colors" }));
    const QMenu *file = h.window->action(MenuEntry::FileMenu)->menu();
    ASSERT_TRUE(file);
    // The four entries come first, then Open Run; the recent files follow
    // after a separator, and Exit after another.
    QStringList names;
    for (const QAction *action : file->actions())
        names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    EXPECT_EQ(names.mid(0, 6),
        (QStringList { "GetNewData", "UseFitFile", "GetBlankData", "ClearBlank", "OpenRun", "-" }));
    EXPECT_EQ(names.size(), 6 + RecentFileList::Capacity + 2);
    EXPECT_EQ(names.mid(6 + RecentFileList::Capacity), (QStringList { "-", "Exit" }));
}

TEST(MainWindow, FileExitAsksTheExitQuestionAndOwnsCtrlQ)
{
    Harness h;
    h.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(h.window.get()));
    const QMenu *file = h.window->action(MenuEntry::FileMenu)->menu();
    QAction *exit = file->actions().last();
    ASSERT_EQ(exit->objectName(), QStringLiteral("Exit"));
    EXPECT_EQ(exit->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(exit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_TRUE(exit->isVisible() && exit->isEnabled());
    // One action for the key: two would make Qt call it ambiguous and run
    // neither.
    int owners = 0;
    for (const QAction *action : h.window->findChildren<QAction *>())
        owners += action->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Q)) ? 1 : 0;
    EXPECT_EQ(owners, 1);

    struct Row {
        const char *name;
        std::function<void()> exit;
    };
    const Row rows[] = {
        { "the entry", [&] { exit->trigger(); } },
        { "its key", [&] { QTest::keyClick(h.window.get(), Qt::Key_Q, Qt::ControlModifier); } },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        h.platform.messages.clear();
        h.platform.messageAnswers.push_back(MsgAnswer::No);
        row.exit();
        ASSERT_EQ(h.platform.messages.size(), 1u);
        EXPECT_EQ(h.platform.messages[0].text, QStringLiteral("Are you sure you want to exit?"));
        EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("Exit Program?"));
        EXPECT_TRUE(h.window->isVisible());
    }
    h.platform.messageAnswers.push_back(MsgAnswer::Yes);
    exit->trigger();
    EXPECT_FALSE(h.window->isVisible());
}

TEST(MainWindow, EveryMenuAndEntryHasItsOwnMnemonicAndItsCaptionAsName)
{
    Harness h;
    const auto check = [](QWidget *menu, const QList<QAction *> &actions) {
        QSet<QChar> letters;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(menu);
        ASSERT_TRUE(accessible);
        int child = 0;
        for (const QAction *action : actions) {
            if (action->isSeparator() || action->objectName() == QLatin1String("DSNames"))
                continue;
            // Unused recent-file entries have no caption until a file is opened.
            if (action->objectName().startsWith(QLatin1String("RecentFile"))
                && !action->isVisible())
                continue;
            SCOPED_TRACE(action->objectName().toStdString());
            const QString text = action->text();
            const qsizetype marker = text.indexOf(QLatin1Char('&'));
            ASSERT_GE(marker, 0) << text.toStdString();
            const QChar letter = text.at(marker + 1).toLower();
            EXPECT_FALSE(letters.contains(letter)) << "mnemonic used twice: " << text.toStdString();
            letters.insert(letter);
            // The accessible child of this entry is named by the caption alone.
            while (child < accessible->childCount()
                && accessible->child(child)->text(QAccessible::Name) != caption(action))
                ++child;
            EXPECT_LT(child, accessible->childCount())
                << "no accessible entry named " << caption(action).toStdString();
        }
    };
    check(h.window->menuBar(), h.window->menuBar()->actions());
    for (const MenuEntry menu :
        { MenuEntry::FileMenu, MenuEntry::EditMenuChoice, MenuEntry::SaveDataFile }) {
        QMenu *m = h.window->action(menu)->menu();
        check(m, m->actions());
    }
    // The editor's menu bar, with the read-out shown ("&Hide (X,Y)") and
    // hidden ("&Show (X,Y)").
    setDataSet(*h.state, diagonalPoints());
    runEditor(h, [&](PlotWindow &w) {
        for (int toggle = 0; toggle < 2; ++toggle) {
            SCOPED_TRACE(w.showEmEntry()->text().toStdString());
            check(w.menus(), w.menus()->actions());
            w.showEmEntry()->trigger();
        }
    });
}

TEST(MainWindow, ShortcutsOpenEditAndCloseThroughTheirDialogs)
{
    Harness h;
    h.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(h.window.get()));
    const auto press
        = [&](int key) { QTest::keyClick(h.window.get(), Qt::Key(key), Qt::ControlModifier); };

    h.platform.log.clear();
    press(Qt::Key_E); // nothing to edit yet
    EXPECT_TRUE(h.platform.log.isEmpty()) << h.platform.log.join(QLatin1Char(',')).toStdString();

    h.platform.fileAnswers.push_back(h.example(QStringLiteral("radius-scan.dat")));
    press(Qt::Key_O);
    EXPECT_EQ(h.state->NumPts, 434);
    ASSERT_EQ(h.platform.fileDialogs.size(), 1u);
    EXPECT_EQ(h.platform.fileDialogs[0].title, QStringLiteral("Get Data File"));

    bool editorShown = false;
    h.platform.modalActions.push_back(
        [&](QDialog &dialog) { editorShown = dialog.objectName() == QLatin1String("Plotwork"); });
    press(Qt::Key_E);
    EXPECT_TRUE(editorShown);

    h.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(h.window.get()));
    h.platform.messageAnswers.push_back(MsgAnswer::No);
    press(Qt::Key_Q);
    ASSERT_FALSE(h.platform.messages.empty());
    EXPECT_EQ(h.platform.messages.back().title, QStringLiteral("Exit Program?"));
    EXPECT_TRUE(h.window->isVisible());
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
        const TextView *view = h.window->view(tab);
        EXPECT_TRUE(view->isReadOnly());
        EXPECT_EQ(view->font().family(), QStringLiteral("Courier New"));
        EXPECT_DOUBLE_EQ(view->font().pointSizeF(), 7.5);
        EXPECT_TRUE(view->fontInfo().fixedPitch());
        EXPECT_FALSE(view->accessibleName().isEmpty());
    }
    // A quarter of the free screen by the outer size, frame included.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));
    const QRect frame = h.window->frameGeometry();
    EXPECT_NEAR(frame.x(), (1280 - frame.width()) / 4.0, 0.5);
    EXPECT_NEAR(frame.y(), (1024 - frame.height()) / 4.0, 0.5);
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
    EXPECT_EQ(int(h.platform.messages[0].style), 36);
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

namespace
{

void dragMouse(QWidget *target, QPoint from, QPoint to)
{
    QTest::mousePress(target, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), target->mapToGlobal(QPointF(to)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QTest::mouseRelease(target, Qt::LeftButton, {}, to);
}

// Pixels of the view's row that look like the deleted colour (red).
int reddishPixels(const QImage &image, QRect row)
{
    int found = 0;
    for (int y = row.top(); y <= row.bottom(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            found += c.red() > 150 && c.green() < 100 && c.blue() < 100;
        }
    }
    return found;
}

} // namespace

TEST(MainWindow, ViewsSelectAndCopyWithMouseAndKeyboard)
{
    Harness h;
    h.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));
    h.choose(h.example(QStringLiteral("edited-scan.dat")), MenuEntry::GetNewData);
    TextView *view = h.window->view(ViewTab::DataFile);
    h.window->tabs()->setCurrentIndex(int(ViewTab::DataFile));
    view->setFocus();
    const QString plain = view->toPlainText();
    const QStringList lines = plain.split(QLatin1Char('\n'));
    ASSERT_GT(lines.size(), 10);
    const int line1 = int(lines[0].size()) + 1; // where line 1 starts

    // Ctrl+A, Ctrl+C: the whole text, LF line ends.
    QApplication::clipboard()->clear();
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view->selectedText(), plain);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), plain);

    // Shift with the arrows from the start: three characters, one line down.
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_TRUE(view->selectedText().isEmpty());
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view->selectedText(), plain.left(line1 + 3));
    QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(view->selectedText(), lines[0] + QLatin1Char('\n') + lines[1]);
    QTest::keyClick(view, Qt::Key_Right);
    EXPECT_TRUE(view->selectedText().isEmpty()) << "a move without Shift drops the selection";

    // A drag from line 1, column 2 to line 4, column 8.
    const auto at = [&](int position) {
        return view->viewport()->mapFrom(view, view->characterRect(position).topLeft())
            + QPoint(0, 2);
    };
    const int line4 = line1 + int(lines[1].size() + lines[2].size() + lines[3].size()) + 3;
    dragMouse(view->viewport(), at(line1 + 2), at(line4 + 8));
    EXPECT_EQ(view->selectedText(), plain.mid(line1 + 2, line4 + 8 - line1 - 2));
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), view->selectedText());
}

TEST(MainWindow, ViewsDrawATabToTheNextTabStopAndCopyIt)
{
    Harness h;
    h.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));
    // Values separated by tabs, as the reader accepts them.
    const QByteArray lines[] = { "x\tconc\tflag", "6.0\t0.5\t100", "6.05\t0.25" };
    QByteArray text;
    for (const QByteArray &line : lines)
        text += line + "\r\n";
    h.choose(h.folder.write(QStringLiteral("tabbed.dat"), text), MenuEntry::GetNewData);
    ASSERT_EQ(h.state->NumPts, 2);
    TextView *view = h.window->view(ViewTab::DataFile);
    h.window->tabs()->setCurrentIndex(int(ViewTab::DataFile));
    view->setFocus();
    const QString plain = view->toPlainText();
    const int line2 = int(plain.indexOf(QStringLiteral("6.0\t")));
    const int pitch = view->characterRect(line2 + 1).x() - view->characterRect(line2).x();
    ASSERT_GT(pitch, 0);
    const auto cellOf = [&](int position) {
        return (view->characterRect(position).x() - view->characterRect(line2).x()) / pitch;
    };

    struct Row {
        const char *name;
        int position; // in line 2, "6.0\t0.5\t100"
        int cell;
    };
    const Row rows[] = {
        { "before the first tab", 2, 2 },
        { "the first tab", 3, 3 },
        { "after the first tab", 4, 8 },
        { "after the second tab", 8, 16 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(cellOf(line2 + row.position), row.cell);
        // A click there puts the cursor before that character.
        const QRect at = view->characterRect(line2 + row.position);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
            view->viewport()->mapFrom(view, at.topLeft() + QPoint(1, at.height() / 2)));
        EXPECT_EQ(view->cursorPosition(), line2 + row.position);
    }

    // The picture: the "0" of "0.5" is drawn at column 8; columns 4 to 7 stay
    // blank.
    const QImage picture = view->viewport()->grab().toImage();
    const QRect first = view->characterRect(line2);
    const auto inkIn = [&](int fromCell, int toCell) {
        const QPoint origin = view->viewport()->mapFrom(view, first.topLeft());
        const QColor base = view->palette().color(QPalette::Base);
        int ink = 0;
        for (int y = origin.y(); y < origin.y() + first.height(); ++y)
            for (int x = origin.x() + fromCell * pitch; x < origin.x() + toCell * pitch; ++x)
                ink += picture.pixelColor(x, y) != base ? 1 : 0;
        return ink;
    };
    EXPECT_EQ(inkIn(4, 8), 0);
    EXPECT_GT(inkIn(8, 9), 0);

    // Selected and copied, the tabs stay tabs.
    dragMouse(view->viewport(), view->viewport()->mapFrom(view, first.topLeft() + QPoint(0, 2)),
        view->viewport()->mapFrom(
            view, view->characterRect(line2 + int(lines[1].size())).topLeft() + QPoint(0, 2)));
    EXPECT_EQ(view->selectedText(), QString::fromLatin1(lines[1]));
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromLatin1(lines[1]));
}

TEST(MainWindow, ViewsAreAccessibleText)
{
    Harness h;
    h.choose(h.example(QStringLiteral("edited-scan.dat")), MenuEntry::GetNewData);
    const QString captions[] = { QStringLiteral("Data File"), QStringLiteral("Blank File"),
        QStringLiteral("Edited Data File") };
    for (ViewTab tab : { ViewTab::DataFile, ViewTab::BlankFile, ViewTab::EditedDataFile }) {
        TextView *view = h.window->view(tab);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(view);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->text(QAccessible::Name), captions[int(tab)]);
        EXPECT_EQ(accessible->role(), QAccessible::EditableText);
        EXPECT_TRUE(accessible->state().readOnly);
        EXPECT_EQ(accessible->text(QAccessible::Value), view->toPlainText());
        QAccessibleTextInterface *text = accessible->textInterface();
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->characterCount(), int(view->toPlainText().size()));
    }
    // The tab caption follows the file; the view keeps its name.
    EXPECT_NE(h.window->tabs()->tabText(0), captions[0]);

    TextView *edited = h.window->view(ViewTab::EditedDataFile);
    QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(edited)->textInterface();
    text->setSelection(0, 3, 12);
    EXPECT_EQ(edited->selectedText(), edited->toPlainText().mid(3, 9));
    EXPECT_EQ(text->selectionCount(), 1);
    EXPECT_EQ(text->text(3, 12), edited->selectedText());
    text->removeSelection(0);
    EXPECT_EQ(text->selectionCount(), 0);
}

TEST(MainWindow, RemovedPointsArePaintedInTheDeletedColour)
{
    Harness h;
    h.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));
    h.choose(h.example(QStringLiteral("edited-scan.dat")), MenuEntry::GetNewData);
    h.window->tabs()->setCurrentIndex(int(ViewTab::EditedDataFile));
    TextView *view = h.window->view(ViewTab::EditedDataFile);
    const QStringList lines = view->toPlainText().split(QLatin1Char('\n'));
    int position = 0;
    QRect rows[11];
    for (int line = 0; line <= 10; ++line) {
        const QRect r = view->characterRect(position);
        rows[line] = QRect(view->viewport()->mapFrom(view, r.topLeft()), r.size());
        position += int(lines[line].size()) + 1;
    }
    const QImage image = view->viewport()->grab().toImage();
    EXPECT_EQ(reddishPixels(image, rows[0]), 0) << "a comment line";
    EXPECT_GT(reddishPixels(image, rows[4]), 0) << "point 1, removed";
    EXPECT_EQ(reddishPixels(image, rows[10]), 0) << "point 7, good";
}
