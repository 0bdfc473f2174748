// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/CommentEditor.h"
#include "base/WindowPlacement.h"
#include "datafiles/CommentsDialog.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include <cmath>

namespace
{

// Replaces the text of the open editor and presses OK.
std::function<void(QDialog &)> typeAndOk(const QString &text)
{
    return [text](QDialog &dialog) {
        auto &comments = dynamic_cast<CommentsDialog &>(dialog);
        comments.textBox()->setPlainText(text);
        comments.okButton()->click();
    };
}

QByteArray slotOf(const char *text)
{
    return QByteArray(text).leftJustified(96, ' ', true);
}

} // namespace

TEST(CommentEditor, OpensWithTheCommentLinesThroughTheScratchFile)
{
    Harness h;
    h.choose(h.example(QStringLiteral("edited-scan.dat")), MenuEntry::GetNewData);
    const ProgramState &s = *h.state;
    ASSERT_EQ(s.NumComments, 4);
    QString shown;
    h.platform.modalActions.push_back([&](QDialog &dialog) {
        auto &comments = dynamic_cast<CommentsDialog &>(dialog);
        EXPECT_EQ(dialog.objectName(), QStringLiteral("Comments"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Edit Comment Lines"));
        EXPECT_EQ(comments.textBox()->objectName(), QStringLiteral("RichTextBox1"));
        EXPECT_FALSE(comments.textBox()->accessibleName().isEmpty());
        EXPECT_TRUE(comments.textBox()->fontInfo().fixedPitch());
        EXPECT_DOUBLE_EQ(comments.textBox()->font().pointSizeF(), 10.5);
        EXPECT_EQ(comments.okButton()->objectName(), QStringLiteral("IsOK"));
        EXPECT_EQ(comments.okButton()->text(), QStringLiteral("&OK"));
        EXPECT_EQ(comments.cancelButton()->objectName(), QStringLiteral("IsCancel"));
        EXPECT_EQ(comments.cancelButton()->text(), QStringLiteral("&Cancel"));
        EXPECT_EQ(dialog.size(), QSize(472, 333));
        EXPECT_EQ(comments.textBox()->geometry(), QRect(14, 16, 443, 268));
        EXPECT_EQ(comments.okButton()->geometry(), QRect(167, 296, 56, 25));
        EXPECT_EQ(comments.cancelButton()->geometry(), QRect(248, 296, 56, 25));
        // A quarter of the free 1280 x 1024 screen by the outer size: (202, 173)
        // without a frame, less a quarter of the frame's width and height.
        const QMargins frame = LastFrameMargins();
        EXPECT_EQ(dialog.pos(),
            QPoint(int(std::nearbyint((1280 - 472 - frame.left() - frame.right()) / 4.0)),
                int(std::nearbyint((1024 - 333 - frame.top() - frame.bottom()) / 4.0))));
        shown = comments.textBox()->toPlainText();
    });
    h.trigger(MenuEntry::EditComment1);

    QByteArray expected;
    for (int k = 1; k <= 4; ++k)
        expected += s.CommentBuf.slot(k) + "\r\n";
    EXPECT_EQ(s.CommentTmpPath, h.folder.path(QStringLiteral("~comment.tmp")));
    EXPECT_EQ(readFileBytes(s.CommentTmpPath), expected);
    // Shown without the slots' padding.
    QByteArray trimmed;
    for (int k = 1; k <= 4; ++k)
        trimmed += s.CommentBuf.slot(k).trimmed() + "\n";
    EXPECT_EQ(shown.toLatin1(), trimmed);
    EXPECT_EQ(s.NumComments, 4) << "the close box keeps everything";
}

TEST(CommentEditor, OkStoresEachLineCutOrPaddedToASlot)
{
    const QString hundred = QString(100, QLatin1Char('x'));
    QString sixty;
    for (int i = 1; i <= 60; ++i)
        sixty += QStringLiteral("line %1\n").arg(i);
    const struct {
        const char *name;
        QString typed;
        std::vector<QByteArray> lines;
    } rows[] = {
        { "cut to 96", hundred + QStringLiteral("\nshort"),
            { QByteArray(96, 'x'), slotOf("short") } },
        { "padded", QStringLiteral("ten chars!"), { slotOf("ten chars!") } },
        { "blank line between", QStringLiteral("first\n\nthird\n"),
            { slotOf("first"), QByteArray(96, ' '), slotOf("third") } },
        { "empty text", QString(), {} },
        { "trailing blanks kept as padding", QStringLiteral("a   "), { slotOf("a") } },
        { "Latin-1 survives", QStringLiteral("Temperatur 20 \u00b0C"),
            { slotOf("Temperatur 20 \xb0"
                     "C") } },
    };
    for (const auto &row : rows) {
        Harness h;
        h.choose(h.example(QStringLiteral("edited-scan.dat")), MenuEntry::GetNewData);
        h.platform.modalActions.push_back(typeAndOk(row.typed));
        h.trigger(MenuEntry::EditComment1);
        const ProgramState &s = *h.state;
        ASSERT_EQ(s.NumComments, int(row.lines.size())) << row.name;
        QByteArray work;
        for (int k = 1; k <= s.NumComments; ++k) {
            EXPECT_EQ(s.CommentBuf.slot(k), row.lines[size_t(k - 1)]) << row.name << " slot " << k;
            work += row.lines[size_t(k - 1)] + "\r\n";
        }
        EXPECT_TRUE(h.workFile().startsWith(work + "   5.90000 ")) << row.name;
    }

    Harness h;
    h.choose(h.example(QStringLiteral("edited-scan.dat")), MenuEntry::GetNewData);
    h.platform.modalActions.push_back(typeAndOk(sixty));
    h.trigger(MenuEntry::EditComment1);
    EXPECT_EQ(h.state->NumComments, 50);
    EXPECT_EQ(h.state->CommentBuf.slot(50), slotOf("line 50"));
}

TEST(CommentEditor, NoCommentsOpenAsOneBlankLine)
{
    Harness h;
    h.choose(h.folder.write(QStringLiteral("bare.dat"), "6.0 1.0\r\n6.1 1.1\r\n"),
        MenuEntry::GetNewData);
    ASSERT_EQ(h.state->NumComments, 0);
    h.platform.modalActions.push_back([](QDialog &dialog) {
        auto &comments = dynamic_cast<CommentsDialog &>(dialog);
        EXPECT_EQ(comments.textBox()->toPlainText(), QStringLiteral("\n"));
        comments.okButton()->click();
    });
    h.trigger(MenuEntry::EditComment1);
    EXPECT_EQ(readFileBytes(h.state->CommentTmpPath), QByteArray(96, ' ') + "\r\n");
    EXPECT_EQ(h.state->NumComments, 1);
    EXPECT_EQ(h.state->CommentBuf.slot(1), QByteArray(96, ' '));
    EXPECT_TRUE(h.workFile().startsWith(QByteArray(96, ' ') + "\r\n   6.00000"));
}

TEST(CommentEditor, CancelKeepsTheLinesAndTheWorkingFile)
{
    Harness h;
    h.choose(h.example(QStringLiteral("edited-scan.dat")), MenuEntry::GetNewData);
    const CommentBuffer before = h.state->CommentBuf;
    const QByteArray work = h.workFile();
    h.platform.modalActions.push_back([](QDialog &dialog) {
        auto &comments = dynamic_cast<CommentsDialog &>(dialog);
        comments.textBox()->setPlainText(QStringLiteral("something else"));
        comments.cancelButton()->click();
    });
    h.trigger(MenuEntry::EditComment1);
    EXPECT_EQ(h.state->NumComments, 4);
    EXPECT_EQ(QByteArray(h.state->CommentBuf.data(), CommentBufLength),
        QByteArray(before.data(), CommentBufLength));
    EXPECT_EQ(h.workFile(), work);
}

TEST(CommentEditor, SlotsAboveTheNewCountKeepTheirOldText)
{
    ProgramState s;
    s.CommentBuf.setSlot(2, "old second line");
    s.NumComments = 2;
    StoreCommentLines(s, "only\r\n");
    EXPECT_EQ(s.NumComments, 1);
    EXPECT_EQ(s.CommentBuf.slot(2), slotOf("old second line"));

    // Every kind of line end, and a last line without one.
    StoreCommentLines(s, "a\rb\nc\r\nd");
    EXPECT_EQ(s.NumComments, 4);
    EXPECT_EQ(s.CommentBuf.slot(1) + s.CommentBuf.slot(4), slotOf("a") + slotOf("d"));
}

TEST(CommentEditor, WorksWhenTheScratchFileCannotBeWritten)
{
    Harness h;
    h.choose(h.example(QStringLiteral("edited-scan.dat")), MenuEntry::GetNewData);
    // A folder where the scratch file should go: it can be neither deleted
    // nor written, whoever runs the test.
    ASSERT_TRUE(QDir(h.folder.root()).mkdir(QStringLiteral("~comment.tmp")));
    const QByteArray first = h.state->CommentBuf.slot(1);
    h.platform.modalActions.push_back([&](QDialog &dialog) {
        auto &comments = dynamic_cast<CommentsDialog &>(dialog);
        EXPECT_TRUE(
            comments.textBox()->toPlainText().startsWith(QString::fromLatin1(first.trimmed())));
        comments.textBox()->setPlainText(QStringLiteral("typed by hand\nsecond"));
        comments.okButton()->click();
    });
    h.trigger(MenuEntry::EditComment1);
    EXPECT_TRUE(h.platform.messages.empty());
    EXPECT_EQ(h.state->NumComments, 2);
    EXPECT_EQ(h.state->CommentBuf.slot(1), slotOf("typed by hand"));
    EXPECT_TRUE(h.workFile().startsWith(slotOf("typed by hand") + "\r\n" + slotOf("second")));
}

TEST(CommentEditor, TypingStopsAt4800Characters)
{
    Harness h;
    ProgramState &s = *h.state;
    for (int k = 1; k <= 50; ++k)
        s.CommentBuf.setSlot(k, QByteArray(96, char('A' + k % 26)));
    s.NumComments = 50;
    h.platform.modalActions.push_back([](QDialog &dialog) {
        QPlainTextEdit *box = dynamic_cast<CommentsDialog &>(dialog).textBox();
        const QString loaded = box->toPlainText();
        EXPECT_EQ(loaded.size(), 50 * 97) << "loading never cuts";
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, QStringLiteral("xyz"));
        EXPECT_EQ(box->toPlainText(), loaded);

        // Room for 20 more characters: 25 typed, 20 kept. Full lines of 96
        // and their line ends take 4753 characters, the last line the rest.
        QString full;
        for (int k = 1; k <= 49; ++k)
            full += QString(96, QLatin1Char('a')) + QLatin1Char('\n');
        full += QString(27, QLatin1Char('a'));
        ASSERT_EQ(full.size(), 4780);
        box->setPlainText(full);
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, QStringLiteral("0123456789012345678901234"));
        EXPECT_EQ(box->toPlainText(), full + QStringLiteral("01234567890123456789"));

        // A paste keeps what fits.
        box->setPlainText(full);
        box->moveCursor(QTextCursor::End);
        QApplication::clipboard()->setText(QStringLiteral("0123456789012345678901234"));
        box->paste();
        EXPECT_EQ(box->toPlainText(), full + QStringLiteral("01234567890123456789"));
    });
    h.trigger(MenuEntry::EditComment1);
}

TEST(CommentEditor, UntouchedLinesComeBackAsTheyWere)
{
    Harness h;
    ProgramState &s = *h.state;
    s.CommentBuf.setSlot(1, "  indented, then blanks   ");
    s.CommentBuf.setSlot(2, QByteArray());
    s.CommentBuf.setSlot(3, QByteArray(96, 'z'));
    s.CommentBuf.setSlot(4, "last");
    s.NumComments = 4;
    const CommentBuffer before = s.CommentBuf;
    h.platform.modalActions.push_back([](QDialog &dialog) {
        auto &comments = dynamic_cast<CommentsDialog &>(dialog);
        EXPECT_EQ(comments.textBox()->toPlainText(),
            QStringLiteral("  indented, then blanks\n\n") + QString(96, QLatin1Char('z'))
                + QStringLiteral("\nlast\n"));
        comments.okButton()->click();
    });
    h.trigger(MenuEntry::EditComment1);
    EXPECT_EQ(s.NumComments, 4);
    EXPECT_EQ(QByteArray(s.CommentBuf.data(), CommentBufLength),
        QByteArray(before.data(), CommentBufLength));
    QByteArray scratch;
    for (int k = 1; k <= 4; ++k)
        scratch += before.slot(k) + "\r\n";
    EXPECT_EQ(readFileBytes(s.CommentTmpPath), scratch) << "padded back to 96 on OK";
}

TEST(CommentEditor, TheBoxRefusesTextPastColumn96AndLine50)
{
    CommentTextBox box(nullptr);
    box.setLineWrapMode(QPlainTextEdit::NoWrap);
    const QString ninety = QString(90, QLatin1Char('a'));
    QString fifty;
    for (int k = 1; k <= 50; ++k)
        fifty += QStringLiteral("line %1\n").arg(k);
    const auto cursorAt = [&](int line, int column) {
        QTextCursor c(box.document()->findBlockByNumber(line));
        c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
        box.setTextCursor(c);
    };
    const auto paste = [&](const QString &text) {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    };
    const struct {
        const char *name;
        QString start;
        int line, column;
        std::function<void()> act;
        QString expected;
    } rows[] = {
        { "typing stops at column 96", ninety + QStringLiteral("\nnext"), 0, 90,
            [&] { QTest::keyClicks(&box, QStringLiteral("0123456789")); },
            ninety + QStringLiteral("012345\nnext") },
        { "typing inside a full line", QString(96, QLatin1Char('a')), 0, 10,
            [&] { QTest::keyClicks(&box, QStringLiteral("b")); }, QString(96, QLatin1Char('a')) },
        { "typing over a selection in a full line", QString(96, QLatin1Char('a')), 0, 10,
            [&] {
                QTest::keyClick(&box, Qt::Key_Right, Qt::ShiftModifier);
                QTest::keyClicks(&box, QStringLiteral("b"));
            },
            QString(10, QLatin1Char('a')) + QLatin1Char('b') + QString(85, QLatin1Char('a')) },
        { "Enter splits a full line", QString(96, QLatin1Char('a')), 0, 40,
            [&] { QTest::keyClick(&box, Qt::Key_Return); },
            QString(40, QLatin1Char('a')) + QLatin1Char('\n') + QString(56, QLatin1Char('a')) },
        { "no 51st line by Enter", fifty, 9, 2, [&] { QTest::keyClick(&box, Qt::Key_Return); },
            fifty },
        { "no typing on line 51", fifty, 50, 0,
            [&] { QTest::keyClicks(&box, QStringLiteral("more")); }, fifty },
        { "typing on line 50", fifty, 49, 7, [&] { QTest::keyClicks(&box, QStringLiteral("!")); },
            QString(fifty).insert(fifty.size() - 1, QLatin1Char('!')) },
        { "a pasted line too long", ninety, 0, 90, [&] { paste(QStringLiteral("0123456")); },
            ninety },
        { "a paste of lines that fit", ninety + QStringLiteral("\nb"), 0, 90,
            [&] { paste(QStringLiteral("xy\r\nfresh line\nz")); },
            ninety + QStringLiteral("xy\nfresh line\nz\nb") },
        { "a paste past line 50", fifty, 0, 0, [&] { paste(QStringLiteral("a\nb\n")); }, fifty },
        { "Backspace would join into 120", ninety + QStringLiteral("\n") + QString(30, 'b'), 1, 0,
            [&] { QTest::keyClick(&box, Qt::Key_Backspace); },
            ninety + QStringLiteral("\n") + QString(30, 'b') },
        { "Delete joins into 96", QString(60, 'a') + QStringLiteral("\n") + QString(36, 'b'), 0, 60,
            [&] { QTest::keyClick(&box, Qt::Key_Delete); }, QString(60, 'a') + QString(36, 'b') },
    };
    for (const auto &row : rows) {
        box.setPlainText(row.start);
        cursorAt(row.line, row.column);
        row.act();
        EXPECT_EQ(box.toPlainText(), row.expected) << row.name;
    }
}

TEST(CommentEditor, OverflowCountsWhatOkWouldDrop)
{
    using O = CommentTextBox::Overflow;
    const auto of = [](const QString &text) {
        const O o = CommentTextBox::OverflowOf(text);
        return std::vector<int> { o.beyondColumns, o.beyondLines, o.beyondLength };
    };
    QString fifty;
    for (int k = 1; k <= 50; ++k)
        fifty += QStringLiteral("l\n");
    EXPECT_EQ(of(QString()), (std::vector<int> { 0, 0, 0 }));
    EXPECT_EQ(of(QString(100, 'x') + QStringLiteral("\n") + QString(97, 'y')),
        (std::vector<int> { 5, 0, 0 }));
    EXPECT_EQ(of(fifty), (std::vector<int> { 0, 0, 0 })) << "the empty row after the last line end";
    EXPECT_EQ(of(fifty + QStringLiteral("\n")), (std::vector<int> { 0, 1, 0 }));
    EXPECT_EQ(of(fifty + QStringLiteral("x")), (std::vector<int> { 0, 1, 0 }));
    EXPECT_EQ(of(QString(4801, '\n')), (std::vector<int> { 0, 4751, 1 }));
}
