// SPDX-License-Identifier: GPL-3.0-or-later
// AddIt: asks for the RMS level of the noise to add. It offers the last
// accepted level and checks that the new one is a number; after OK, level()
// gives it. The noise itself is drawn by AddNoise once the dialog has closed.
// There is no cancel button: the close box adds nothing.
#pragma once

#include <QDialog>

class Platform;
class QLabel;
class QLineEdit;
class QPushButton;

class NoiseDialog : public QDialog
{
    Q_OBJECT

public:
    // Placed centred over `mainWindow`, a little below its top edge.
    NoiseDialog(float offered, Platform &platform, QWidget *mainWindow);

    float level() const { return m_offered; }

    QLineEdit *levelBox() const { return m_level; }
    QPushButton *doneButton() const { return m_done; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load(QWidget *mainWindow);
    void IsDone_Click();
    void showLevel();
    void focusLevel();

    float m_offered;
    Platform &m_platform;
    QLabel *m_label = nullptr;
    QLineEdit *m_level = nullptr;
    QPushButton *m_done = nullptr;
};
