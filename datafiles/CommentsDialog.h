// Comments: the comment lines of the data set as free text, one line per
// comment line. The text box refuses typing beyond 4800 characters; OK and
// Cancel only close the window with their result, EditComment1 does the rest.
#pragma once

#include <QDialog>

class Platform;
class QPlainTextEdit;
class QPushButton;

class CommentsDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int MaxLength = 4800;

    // Placed a quarter of the free screen from the left and the top.
    CommentsDialog(Platform &platform, QWidget *parent);

    // Single-byte text; line ends of any kind in, CR LF out.
    void setText(const QByteArray &text);
    QByteArray text() const;

    QPlainTextEdit *textBox() const { return m_text; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

private:
    void Form_Load(Platform &platform);
    void RichTextBox1_Change();

    QPlainTextEdit *m_text = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    int m_length = 0;
};
