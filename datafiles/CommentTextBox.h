// SPDX-License-Identifier: GPL-3.0-or-later
// RichTextBox1 of the Comments window: plain text, one comment line per
// row. A comment line holds 96 characters and a data set 50 of them, so the
// box refuses, with a beep, any key, paste or drop that would make a row
// longer than 96 characters or add a row beyond the 50th, instead of OK
// dropping the excess later. It also keeps the window's 4800-character
// limit: growth beyond it is refused, and of a paste only what fits is kept.
// A guide line marks column 96.
#pragma once

#include <QPlainTextEdit>

class CommentTextBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    static constexpr int Columns = 96;
    static constexpr int Lines = 50;
    static constexpr int MaxLength = 4800;

    explicit CommentTextBox(QWidget *parent);

    // How far `text` goes beyond each limit. An empty last row (after the
    // last line end) is no comment line and does not count.
    struct Overflow {
        int beyondColumns = 0; // characters past column 96, over all rows
        int beyondLines = 0; // rows past the 50th
        int beyondLength = 0; // characters past 4800
    };
    static Overflow OverflowOf(const QString &text);

    // True when replacing [from, to) of the text with `inserted` goes
    // further beyond no limit than the text already does.
    bool accepts(int from, int to, const QString &inserted) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // Whether the key may go through; keys that change no text always may.
    bool acceptsKey(const QKeyEvent *event) const;
};
