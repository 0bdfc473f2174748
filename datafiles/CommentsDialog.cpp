// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/CommentsDialog.h"

#include "base/Platform.h"
#include "base/WindowPlacement.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTextCursor>

#include <algorithm>
#include <cmath>

namespace
{

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QFont &font)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setFont(font);
    return b;
}

} // namespace

CommentsDialog::CommentsDialog(Platform &platform, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Comments"));
    setWindowTitle(QStringLiteral("Edit Comment Lines"));
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    fixed.setPointSizeF(10.5);
    setFont(fixed);
    setFixedSize(TwipsToPixels(7080), TwipsToPixels(4995));

    m_text = new CommentTextBox(this);
    m_text->setObjectName(QStringLiteral("RichTextBox1"));
    m_text->setAccessibleName(QStringLiteral("Comment lines"));
    // Comment lines are fixed-width records: keep one record per row.
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setGeometry(TwipsToPixels(216, 240, 6640, 4020));
    connect(m_text, &QPlainTextEdit::textChanged, this, &CommentsDialog::RichTextBox1_Change);

    QFont buttons(QStringLiteral("Times New Roman"));
    buttons.setStyleHint(QFont::Serif);
    buttons.setPointSizeF(9.75);
    m_ok = button(this, "IsOK", QStringLiteral("&OK"), buttons);
    m_ok->setGeometry(TwipsToPixels(2508, 4440, 840, 372));
    m_ok->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    m_cancel = button(this, "IsCancel", QStringLiteral("&Cancel"), buttons);
    m_cancel->setGeometry(TwipsToPixels(3720, 4440, 840, 372));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    Form_Load(platform);
}

void CommentsDialog::Form_Load(Platform &platform)
{
    // A quarter of the free space, not centred.
    const QSize screen = platform.screenSize();
    PlaceByFrame(*this, platform.availableArea(), [this, screen](const QMargins &frame) {
        const QSize outer = size().grownBy(frame);
        return QRect(QuarterPlacement(screen, outer), outer);
    });
}

void CommentsDialog::setText(const QByteArray &text)
{
    QString shown = QString::fromLatin1(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // The slots' padding is no text of the line: the cursor stops at its end.
    static const QRegularExpression trailingBlanks(QStringLiteral(" +(?=\n|$)"));
    shown.remove(trailingBlanks);
    // Loaded text is never cut; the limit holds for what is typed.
    m_length = int(shown.size());
    m_text->setPlainText(shown);
}

QByteArray CommentsDialog::text() const
{
    const QByteArray shown = m_text->toPlainText().toLatin1();
    QByteArray bytes;
    bytes.reserve(shown.size() * 2);
    qsizetype start = 0;
    while (start < shown.size()) {
        qsizetype end = shown.indexOf('\n', start);
        if (end < 0)
            end = shown.size();
        bytes += shown.mid(start, end - start).leftJustified(CommentTextBox::Columns, ' ');
        if (end < shown.size())
            bytes += "\r\n";
        start = end + 1;
    }
    return bytes;
}

void CommentsDialog::RichTextBox1_Change()
{
    const int length = m_text->document()->characterCount() - 1;
    const int allowed = std::max(MaxLength, m_length);
    if (length > allowed) {
        // What was just typed or pasted ends at the cursor: drop its tail.
        QTextCursor cursor = m_text->textCursor();
        const int excess = std::min(length - allowed, cursor.position());
        cursor.setPosition(cursor.position() - excess, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        m_text->setTextCursor(cursor);
        return; // the removal reports itself
    }
    m_length = length;
}
