// SPDX-License-Identifier: GPL-3.0-or-later
// "Save Selected": the folder the chosen scans go to and the layout of the
// files, as the four saves of a data set write them (Complete or Truncated,
// x as R or as R^2/2).
#pragma once

#include "runs/ScanSave.h"

#include <QDialog>

class Platform;
class QLineEdit;
class QRadioButton;

class SaveSelectedDialog : public QDialog
{
    Q_OBJECT

public:
    SaveSelectedDialog(const QString &folder, const SaveForm &form, int scans, Platform &platform,
        QWidget *parent = nullptr);

    QString folder() const;
    SaveForm form() const;

    QLineEdit *folderField() const { return m_folder; }
    QRadioButton *completeButton() const { return m_complete; }
    QRadioButton *truncatedButton() const { return m_truncated; }
    QRadioButton *radiusButton() const { return m_radius; }
    QRadioButton *xiButton() const { return m_xi; }

    void accept() override;

private:
    void browse();

    Platform &m_platform;
    QLineEdit *m_folder = nullptr;
    QRadioButton *m_complete = nullptr;
    QRadioButton *m_truncated = nullptr;
    QRadioButton *m_radius = nullptr;
    QRadioButton *m_xi = nullptr;
};
