#include "datafiles/CommentsDialog.h"

#include "shell/Platform.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

#include <algorithm>
#include <cmath>

namespace
{

int pixels(double twips)
{
    return int(std::nearbyint(twips / TwipsPerPixel));
}

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
    setFixedSize(pixels(7080), pixels(4995));

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("RichTextBox1"));
    m_text->setAccessibleName(QStringLiteral("Comment lines"));
    // Comment lines are fixed-width records: keep one record per row.
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setGeometry(pixels(216), pixels(240), pixels(6640), pixels(4020));
    connect(m_text, &QPlainTextEdit::textChanged, this, &CommentsDialog::RichTextBox1_Change);

    QFont buttons(QStringLiteral("Times New Roman"));
    buttons.setStyleHint(QFont::Serif);
    buttons.setPointSizeF(9.75);
    m_ok = button(this, "IsOK", QStringLiteral("&OK"), buttons);
    m_ok->setGeometry(pixels(2508), pixels(4440), pixels(840), pixels(372));
    m_ok->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    m_cancel = button(this, "IsCancel", QStringLiteral("&Cancel"), buttons);
    m_cancel->setGeometry(pixels(3720), pixels(4440), pixels(840), pixels(372));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    Form_Load(platform);
}

void CommentsDialog::Form_Load(Platform &platform)
{
    // A quarter of the free space, not centred.
    const QSize screen = platform.screenSize();
    move(int(std::nearbyint((screen.width() - width()) / 4.0)),
        int(std::nearbyint((screen.height() - height()) / 4.0)));
}

void CommentsDialog::setText(const QByteArray &text)
{
    QString shown = QString::fromLatin1(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Loaded text is never cut; the limit holds for what is typed.
    m_length = int(shown.size());
    m_text->setPlainText(shown);
}

QByteArray CommentsDialog::text() const
{
    QByteArray bytes = m_text->toPlainText().toLatin1();
    bytes.replace("\n", "\r\n");
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
