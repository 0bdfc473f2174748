// SPDX-License-Identifier: GPL-3.0-or-later
// Editing a run's scans together through the run window: the range, the
// detector, the editor's own edits coming back, undo, and Save Selected.
#include "runs/GroupEdits.h"
#include "runs/RunEdits.h"
#include "runs/ScanSave.h"
#include "runwindows/ApplyRangeDialog.h"
#include "runwindows/RunFilterModel.h"
#include "runwindows/RunTableModel.h"
#include "runwindows/RunWindow.h"
#include "runwindows/SaveSelectedDialog.h"
#include "support/EditorSupport.h"
#include "support/RunEditRig.h"
#include "support/RunGenerator.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTableView>

namespace
{

// A run of two cells, six scans each at one speed.
struct EditRig : RunEditRig {
    EditRig()
        : RunEditRig(smallPlan())
    {
    }
    static RunPlan smallPlan()
    {
        RunPlan plan;
        plan.speeds = { { 16000, 6, 12.0 } };
        return plan;
    }
};

std::vector<float> flagsOf(const Scan &scan)
{
    std::vector<float> flags;
    for (int i = 0; i < scan.numPoints; ++i)
        flags.push_back(scan.flag(i));
    return flags;
}

int removedCount(const Scan &scan)
{
    int n = 0;
    for (int i = 0; i < scan.numPoints; ++i)
        n += scan.flag(i) < 0.0f ? 1 : 0;
    return n;
}

QString editsShown(RunWindow &w, int scan)
{
    return w.tableModel()->index(scan, w.tableModel()->editsColumn()).data().toString();
}

} // namespace

TEST(RunEditWindow, ApplyRangeAndRemoveSuggestedAreStepsThatUndoAndRedo)
{
    EditRig h;
    RunWindow *w = h.openRun();
    ASSERT_NE(w, nullptr);
    w->chooseGroup(0);
    const std::vector<int> chosen = w->chosen();
    ASSERT_EQ(chosen.size(), 2u);
    const int other = w->analysis().groups.groups[1].scans[0];
    std::vector<std::vector<float>> original;
    for (const Scan &scan : w->run().scans)
        original.push_back(flagsOf(scan));
    EXPECT_FALSE(w->undoAction()->isEnabled());

    // Bad values are refused and the dialog stays open.
    h.platform.modalActions.push_back([&h](QDialog &dialog) {
        auto &range = static_cast<ApplyRangeDialog &>(dialog);
        range.fromField()->setText(QStringLiteral("7.0"));
        range.toField()->setText(QStringLiteral("6.9"));
        range.accept();
        EXPECT_TRUE(range.isVisible());
        EXPECT_EQ(h.platform.messages.back().text, QStringLiteral("To must be above From."));
        range.toField()->setText(QStringLiteral("x"));
        range.accept();
        EXPECT_EQ(h.platform.messages.back().text,
            QStringLiteral("To must be a radius above 0 and at most 20 cm."));
        range.reject();
    });
    w->applyRangeAction()->trigger();
    EXPECT_FALSE(w->edits().canUndo());

    h.applyRange(*w, QStringLiteral("6.85"), QStringLiteral("7.05"));
    for (int scan : chosen) {
        const Scan &s = w->run().scans[size_t(scan)];
        EXPECT_TRUE(s.edited);
        for (int i = 0; i < s.numPoints; ++i) {
            if (s.x(i) < 6.85f || s.x(i) > 7.05f) {
                EXPECT_LT(s.flag(i), 0.0f) << s.name.toStdString() << " point " << i;
            }
        }
        EXPECT_TRUE(editsShown(*w, scan).startsWith(QStringLiteral("edited, ")));
    }
    EXPECT_FALSE(w->run().scans[size_t(other)].edited);
    EXPECT_EQ(editsShown(*w, other), QString());
    EXPECT_EQ(w->undoAction()->text(), QStringLiteral("&Undo Apply Range"));
    EXPECT_EQ(w->chosen(), chosen); // still chosen, and re-checked
    EXPECT_EQ(w->analysis().groups.groups.size(), 6u);

    // The detector: the meniscus spike and the bottom's saturated rows are
    // outside the range now; what is left inside may hold a place-holder.
    w->removeSuggestedAction()->trigger();
    ASSERT_FALSE(h.platform.messages.empty());
    EXPECT_EQ(h.platform.messages.back().title, QStringLiteral("Remove Suggested"));
    const bool suggested = w->edits().undoName() == QStringLiteral("Remove Suggested");
    EXPECT_TRUE(h.platform.messages.back().text.startsWith(
        suggested ? QStringLiteral("Removed ") : QStringLiteral("No point")))
        << h.platform.messages.back().text.toStdString();

    // Undone step by step, everything is as read; done again, as edited.
    std::vector<std::vector<float>> edited;
    for (const Scan &scan : w->run().scans)
        edited.push_back(flagsOf(scan));
    while (w->undoAction()->isEnabled())
        w->undoAction()->trigger();
    for (size_t i = 0; i < original.size(); ++i) {
        EXPECT_EQ(flagsOf(w->run().scans[i]), original[i]);
        EXPECT_FALSE(w->run().scans[i].edited);
    }
    EXPECT_EQ(editsShown(*w, chosen[0]), QString());
    while (w->redoAction()->isEnabled())
        w->redoAction()->trigger();
    for (size_t i = 0; i < edited.size(); ++i)
        EXPECT_EQ(flagsOf(w->run().scans[i]), edited[i]);

    // Closing with edits not saved asks first.
    h.platform.messageAnswers.push_back(MsgAnswer::No);
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(h.platform.messages.back().text.contains(QStringLiteral("not saved")));
    EXPECT_EQ(h.window->runWindows().size(), 1u);
    h.platform.messageAnswers.push_back(MsgAnswer::Yes);
    EXPECT_TRUE(w->close());
}

TEST(RunEditWindow, SaveSelectedWritesTheBytesOfTheEditorsSavesAndAsksBeforeReplacing)
{
    EditRig h;
    RunWindow *w = h.openRun();
    ASSERT_NE(w, nullptr);
    w->chooseGroup(0);
    h.applyRange(*w, QStringLiteral("6.85"), QStringLiteral("7.05"));
    const int scan = w->chosen().back();
    const QString name = w->run().scans[size_t(scan)].name;

    const QString out = h.folder.path(QStringLiteral("saved"));
    for (const bool complete : { false, true }) {
        for (const bool radius : { true, false }) {
            const QString folder = out + QStringLiteral("-%1%2").arg(complete).arg(radius);
            h.saveSelected(*w, folder, complete, radius);
            ASSERT_FALSE(h.platform.messages.empty());
            EXPECT_EQ(h.platform.messages.back().text,
                QStringLiteral("2 of 2 scans saved in\n%1").arg(QDir::toNativeSeparators(folder)));
            EXPECT_EQ(h.platform.messages.back().style, MsgStyle::Information);
        }
    }

    // The same scan opened in the editor from the table, left with "Exit and
    // update data set", and saved by the data set's own four saves.
    w->table()->setCurrentIndex(w->filterModel()->mapFromSource(w->tableModel()->index(scan, 0)));
    w->openScanAction()->trigger();
    ASSERT_EQ(h.state->NumPts, w->run().scans[size_t(scan)].numPoints);
    runEditor(h, [](PlotWindow &editor) { editor.button(7)->trigger(); });
    EXPECT_TRUE(h.state->CommitEdits);
    const struct {
        MenuEntry entry;
        bool complete;
        bool radius;
    } saves[] = { { MenuEntry::SaveTruncated, false, true },
        { MenuEntry::SaveTruncatedRSq, false, false }, { MenuEntry::SaveComplete, true, true },
        { MenuEntry::SaveCompleteRSq, true, false } };
    for (const auto &save : saves) {
        const QString mine = h.folder.path(QStringLiteral("editor.dat"));
        h.choose(mine, save.entry);
        const QString folder = out + QStringLiteral("-%1%2").arg(save.complete).arg(save.radius);
        EXPECT_EQ(readFileBytes(QDir(folder).filePath(name)), readFileBytes(mine))
            << save.complete << save.radius;
        QFile::remove(mine);
    }

    // Opening it from the table chose its row alone. A second save into a
    // folder holding it asks; No leaves it.
    ASSERT_EQ(w->chosen(), std::vector<int> { scan });
    const QString folder = out + QStringLiteral("-01");
    const QString target = QDir(folder).filePath(name);
    QFile::remove(target);
    QFile stale(target);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("stale\n");
    stale.close();
    h.platform.messageAnswers.push_back(MsgAnswer::No);
    h.saveSelected(*w, folder, false, true);
    const auto &messages = h.platform.messages;
    ASSERT_GE(messages.size(), 2u);
    EXPECT_TRUE(messages[messages.size() - 2].text.startsWith(QStringLiteral("1 of these files")))
        << messages[messages.size() - 2].text.toStdString() << "\n"
        << messages.back().text.toStdString();
    EXPECT_EQ(messages[messages.size() - 2].style, MsgStyle::YesNo | MsgStyle::Question);
    EXPECT_TRUE(messages.back().text.startsWith(QStringLiteral("0 of 1 scans saved")));
    EXPECT_TRUE(messages.back().text.contains(name + QStringLiteral(": it exists already")));
    EXPECT_EQ(readFileBytes(target), QByteArray("stale\n"));
    h.platform.messageAnswers.push_back(MsgAnswer::Yes);
    h.saveSelected(*w, folder, false, true);
    EXPECT_EQ(readFileBytes(target), EditedScanText(w->run().scans[size_t(scan)], {}));

    // Never into the run's own files: they are not offered for replacing.
    const QByteArray source = readFileBytes(w->run().scans[size_t(scan)].path);
    const size_t before = h.platform.messages.size();
    h.saveSelected(*w, h.root, false, true);
    ASSERT_EQ(h.platform.messages.size(), before + 1) << "no question, only the summary";
    EXPECT_TRUE(h.platform.messages.back().text.contains(QStringLiteral("never replaced")));
    EXPECT_EQ(readFileBytes(w->run().scans[size_t(scan)].path), source);

    // A folder that cannot be made.
    h.saveSelected(*w, target + QStringLiteral("/under-a-file"), false, true);
    EXPECT_TRUE(h.platform.messages.back().text.contains(QStringLiteral("cannot be made")));
    // The same range again changes nothing: no step, and the saves stand.
    const QString undo = w->undoAction()->text();
    h.applyRange(*w, QStringLiteral("6.85"), QStringLiteral("7.05"));
    EXPECT_EQ(w->undoAction()->text(), undo);
    // Every edited scan is saved: closing does not ask.
    const size_t asked = h.platform.messages.size();
    EXPECT_TRUE(w->close());
    EXPECT_EQ(h.platform.messages.size(), asked);
}

TEST(RunEditWindow, ASaveFolderWithoutItsPathGoesBesideTheRunAndIsMadeOnlyWhenAgreed)
{
    EditRig h;
    RunWindow *w = h.openRun();
    ASSERT_NE(w, nullptr);
    w->chooseGroup(0);
    h.applyRange(*w, QStringLiteral("6.85"), QStringLiteral("7.05"));
    // Opening a scan moves the current folder into the run's.
    w->table()->setCurrentIndex(
        w->filterModel()->mapFromSource(w->tableModel()->index(w->chosen().front(), 0)));
    w->openScanAction()->trigger();
    w->chooseGroup(0);
    const QString beside = h.folder.path(QStringLiteral("fit"));

    // No to making it: nothing is made, nothing saved, the dialog stays.
    bool stayed = false;
    h.platform.messageAnswers.push_back(MsgAnswer::No);
    h.platform.modalActions.push_back([&stayed](QDialog &dialog) {
        auto &save = static_cast<SaveSelectedDialog &>(dialog);
        save.folderField()->setText(QStringLiteral("fit"));
        save.accept();
        stayed = save.isVisible() || save.result() != QDialog::Accepted;
    });
    w->saveSelectedAction()->trigger();
    EXPECT_TRUE(stayed);
    ASSERT_FALSE(h.platform.messages.empty());
    EXPECT_EQ(h.platform.messages.back().text,
        QStringLiteral("The folder\n%1\ndoes not exist. Make it?")
            .arg(QDir::toNativeSeparators(beside)));
    EXPECT_FALSE(QFileInfo::exists(beside));
    EXPECT_FALSE(QFileInfo::exists(QDir(h.root).filePath(QStringLiteral("fit"))));

    // Yes: made beside the run, whatever the current folder, and named whole.
    h.saveSelected(*w, QStringLiteral("fit"), false, true);
    EXPECT_TRUE(QFileInfo(beside).isDir());
    EXPECT_EQ(QDir(beside).entryList(QDir::Files).size(), 2);
    EXPECT_FALSE(QFileInfo::exists(QDir(h.root).filePath(QStringLiteral("fit"))));
    EXPECT_EQ(h.platform.messages.back().text,
        QStringLiteral("2 of 2 scans saved in\n%1").arg(QDir::toNativeSeparators(beside)));

    // The field offers the last folder whole and selected: typing replaces it.
    h.platform.modalActions.push_back([&](QDialog &dialog) {
        auto &save = static_cast<SaveSelectedDialog &>(dialog);
        EXPECT_EQ(save.folderField()->text(), QDir::toNativeSeparators(beside));
        EXPECT_EQ(save.folderField()->selectedText(), save.folderField()->text());
        save.reject();
    });
    w->saveSelectedAction()->trigger();

    // One more edit after the save: one scan is unsaved, not every one.
    w->chooseGroup(1);
    h.applyRange(*w, QStringLiteral("6.85"), QStringLiteral("7.05"));
    h.platform.messageAnswers.push_back(MsgAnswer::No);
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(h.platform.messages.back().text.startsWith(
        QStringLiteral("The edits of %1 scans").arg(w->chosen().size())))
        << h.platform.messages.back().text.toStdString();
    h.platform.messageAnswers.push_back(MsgAnswer::Yes);
    EXPECT_TRUE(w->close());
}

TEST(RunEditWindow, AnEditInTheEditorComesBackToTheRunAsAStep)
{
    EditRig h;
    RunWindow *w = h.openRun();
    ASSERT_NE(w, nullptr);
    w->chooseGroup(0);
    h.applyRange(*w, QStringLiteral("6.85"), QStringLiteral("7.05"));
    const int scan = w->chosen().front();
    const uint64_t id = w->run().scans[size_t(scan)].id;
    const int before = removedCount(w->run().scans[size_t(scan)]);

    w->table()->setCurrentIndex(w->filterModel()->mapFromSource(w->tableModel()->index(scan, 0)));
    w->openScanAction()->trigger();
    // The edited scan as it stands, its removed points included.
    int removedHere = 0;
    for (int i = 1; i <= h.state->NumPts; ++i)
        removedHere += h.state->DataPts.flag(i) < 0.0f ? 1 : 0;
    EXPECT_EQ(removedHere, before);

    // Remove one good point in the editor and leave with the update.
    int good = 0;
    for (int i = 1; i <= h.state->NumPts && good == 0; ++i)
        good = h.state->DataPts.flag(i) > 0.0f && h.state->DataPts.x(i) > 6.95f ? i : 0;
    ASSERT_GT(good, 0);
    h.platform.modalActions.push_back([good](QDialog &dialog) {
        auto &editor = static_cast<PlotWindow &>(dialog);
        editor.button(2)->trigger();
        clickAt(editor, plotPositionOf(editor, good));
        editor.button(7)->trigger();
    });
    h.trigger(MenuEntry::DoPlotwork);
    const int index = w->edits().indexOf(id);
    ASSERT_GE(index, 0);
    EXPECT_EQ(removedCount(w->run().scans[size_t(index)]), before + 1);
    EXPECT_LT(w->run().scans[size_t(index)].flag(good - 1), 0.0f);
    EXPECT_EQ(w->undoAction()->text(),
        QStringLiteral("&Undo Edit ") + w->run().scans[size_t(index)].name);
    w->undoAction()->trigger();
    EXPECT_EQ(removedCount(w->run().scans[size_t(index)]), before);
    h.platform.messageAnswers.push_back(MsgAnswer::Yes);
    w->close();
}

TEST(RunEditWindow, EveryAltKeyOfTheWindowReachesOneControl)
{
    EditRig h;
    RunWindow *w = h.openRun();
    ASSERT_NE(w, nullptr);
    // The menus' and the filters' underlined letters.
    QStringList captions;
    for (QAction *menu : w->menuBar()->actions())
        captions << menu->text();
    for (QLabel *label : w->findChildren<QLabel *>()) {
        if (label->buddy() != nullptr)
            captions << label->text();
    }
    std::map<QChar, QString> owners;
    for (const QString &caption : captions) {
        const qsizetype at = caption.indexOf(QLatin1Char('&'));
        ASSERT_GE(at, 0) << caption.toStdString();
        const QChar key = caption[at + 1].toLower();
        EXPECT_TRUE(owners.emplace(key, caption).second)
            << caption.toStdString() << " and " << owners[key].toStdString();
    }
    EXPECT_GE(owners.size(), 9u);
}

TEST(RunEditWindow, ARunNamedByARelativePathKeepsItsFilesSafeAfterTheFolderMoves)
{
    EditRig h;
    ASSERT_TRUE(QDir::current().exists(QStringLiteral("run")));
    h.window->openRun({ QStringLiteral("run") });
    ASSERT_EQ(h.window->runWindows().size(), 1u);
    RunWindow *w = h.window->runWindows().back();
    w->chooseGroup(0);
    h.applyRange(*w, QStringLiteral("6.85"), QStringLiteral("7.05"));
    // Opening a scan moves the current folder.
    const int scan = w->chosen().front();
    w->table()->setCurrentIndex(w->filterModel()->mapFromSource(w->tableModel()->index(scan, 0)));
    w->openScanAction()->trigger();
    EXPECT_EQ(h.state->NumPts, w->run().scans[size_t(scan)].numPoints);
    QDir::setCurrent(h.folder.root());
    const QString source = w->run().scans[size_t(scan)].file;
    EXPECT_TRUE(QFileInfo(source).isAbsolute());
    const QByteArray before = readFileBytes(source);
    h.platform.messageAnswers.push_back(MsgAnswer::Yes);
    h.saveSelected(*w, h.root, false, true);
    EXPECT_TRUE(h.platform.messages.back().text.contains(QStringLiteral("never replaced")));
    EXPECT_EQ(readFileBytes(source), before);
    w->close();
}
