// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/CommentTextBox.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>

#include <algorithm>

CommentTextBox::CommentTextBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
}

CommentTextBox::Overflow CommentTextBox::OverflowOf(const QString &text)
{
    Overflow over;
    over.beyondLength = std::max(0, int(text.size()) - MaxLength);
    int rows = 0;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start <= size) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = size;
        if (end == size && start == size && rows > 0)
            break; // the empty row after the last line end
        ++rows;
        over.beyondColumns += std::max(0, int(end - start) - Columns);
        start = end + 1;
    }
    over.beyondLines = std::max(0, rows - Lines);
    return over;
}

bool CommentTextBox::accepts(int from, int to, const QString &inserted) const
{
    const QString before = toPlainText();
    const QString after = before.left(from) + inserted + before.mid(to);
    const Overflow was = OverflowOf(before);
    const Overflow is = OverflowOf(after);
    return is.beyondColumns <= was.beyondColumns && is.beyondLines <= was.beyondLines
        && is.beyondLength <= was.beyondLength;
}

bool CommentTextBox::acceptsKey(const QKeyEvent *event) const
{
    QTextCursor cursor = textCursor();
    // Deleting never lengthens a row, except where it joins two.
    const auto deletes = [&](QTextCursor::MoveOperation move) {
        if (!cursor.hasSelection())
            cursor.movePosition(move, QTextCursor::KeepAnchor);
        return accepts(cursor.selectionStart(), cursor.selectionEnd(), QString());
    };
    if (event->matches(QKeySequence::Paste))
        return true; // insertFromMimeData decides
    if (event->matches(QKeySequence::Cut))
        return deletes(QTextCursor::NoMove);
    if (event->matches(QKeySequence::Delete))
        return deletes(QTextCursor::NextCharacter);
    if (event->matches(QKeySequence::DeleteEndOfWord))
        return deletes(QTextCursor::NextWord);
    if (event->matches(QKeySequence::DeleteStartOfWord))
        return deletes(QTextCursor::PreviousWord);
    if (event->matches(QKeySequence::DeleteEndOfLine))
        return deletes(QTextCursor::EndOfBlock);
    if (event->key() == Qt::Key_Backspace)
        return deletes(QTextCursor::PreviousCharacter);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return accepts(cursor.selectionStart(), cursor.selectionEnd(), QStringLiteral("\n"));
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && std::all_of(typed.begin(), typed.end(), [](QChar c) {
        return c.isPrint() || c == QLatin1Char('\t');
    });
    if (printable && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return accepts(cursor.selectionStart(), cursor.selectionEnd(), typed);
    return true;
}

void CommentTextBox::keyPressEvent(QKeyEvent *event)
{
    if (!isReadOnly() && !acceptsKey(event)) {
        QApplication::beep();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CommentTextBox::inputMethodEvent(QInputMethodEvent *event)
{
    const QTextCursor cursor = textCursor();
    if (!event->commitString().isEmpty()
        && !accepts(cursor.selectionStart(), cursor.selectionEnd(), event->commitString())) {
        QApplication::beep();
        QInputMethodEvent none;
        QPlainTextEdit::inputMethodEvent(&none);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void CommentTextBox::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText())
        return;
    QString pasted = source->text();
    pasted.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    pasted.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QTextCursor cursor = textCursor();
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    // Of a paste past 4800 characters the part that fits goes in, as when typed.
    const int length = int(toPlainText().size());
    const int room = std::max(MaxLength, length) - (length - (to - from));
    if (pasted.size() > room)
        pasted.truncate(std::max(0, room));
    if (pasted.isEmpty() || !accepts(from, to, pasted)) {
        QApplication::beep();
        return;
    }
    QTextCursor edit = textCursor();
    edit.insertText(pasted);
    setTextCursor(edit);
}

void CommentTextBox::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    // The right edge of column 96.
    const qreal x = contentOffset().x() + document()->documentMargin()
        + QFontMetricsF(font()).horizontalAdvance(QString(Columns, QLatin1Char('x')));
    QPainter painter(viewport());
    QColor guide = palette().color(QPalette::Text);
    guide.setAlpha(64);
    painter.setPen(QPen(guide, 0, Qt::DashLine));
    painter.drawLine(QPointF(x, event->rect().top()), QPointF(x, event->rect().bottom() + 1));
}
