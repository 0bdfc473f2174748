// SPDX-License-Identifier: GPL-3.0-or-later
// Comments: the comment lines of the data set as free text, one line per
// comment line, shown without their trailing blanks. The text box refuses
// typing beyond 4800 characters, past column 96 and past line 50; OK and
// Cancel only close the window with their result, EditComment1 does the rest.
#pragma once

#include "datafiles/CommentTextBox.h"

#include <QDialog>

class Platform;
class QPushButton;

class CommentsDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int MaxLength = CommentTextBox::MaxLength;

    // Placed a quarter of the free screen from the left and the top.
    CommentsDialog(Platform &platform, QWidget *parent);

    // Single-byte text; line ends of any kind in, CR LF out. Lines are shown
    // without their trailing blanks and come back padded to 96 characters,
    // so an untouched line comes back as it went in.
    void setText(const QByteArray &text);
    QByteArray text() const;

    CommentTextBox *textBox() const { return m_text; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

private:
    void Form_Load(Platform &platform);
    void RichTextBox1_Change();

    CommentTextBox *m_text = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    int m_length = 0;
};
