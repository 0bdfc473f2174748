// SPDX-License-Identifier: GPL-3.0-or-later
// "Save Selected": the folder the chosen scans go to and the layout of the
// files, as the four saves of a data set write them (Complete or Truncated,
// x as R or as R^2/2). A folder typed without its whole path is taken from
// the base folder the dialog shows, and one that does not exist is made
// only when the user agrees.
#pragma once

#include "runs/ScanSave.h"

#include <QDialog>

#include <optional>

class Platform;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class SaveSelectedDialog : public QDialog
{
    Q_OBJECT

public:
    // `withinColumn` is offered when some of the scans have a solution column.
    SaveSelectedDialog(const QString &folder, const QString &base, const SaveForm &form, int scans,
        Platform &platform, QWidget *parent = nullptr, std::optional<bool> withinColumn = {});

    // The folder as a whole path: what the field holds, taken from the base
    // when it is not whole.
    QString folder() const;
    SaveForm form() const;
    // Each scan cut to its column's fit limits, as Apply Range would.
    bool withinColumn() const;

    QLineEdit *folderField() const { return m_folder; }
    // True once the user agreed to make a folder that did not exist.
    bool makeFolder() const { return m_makeFolder; }
    QRadioButton *completeButton() const { return m_complete; }
    QRadioButton *truncatedButton() const { return m_truncated; }
    QRadioButton *radiusButton() const { return m_radius; }
    QRadioButton *xiButton() const { return m_xi; }
    QCheckBox *withinColumnBox() const { return m_within; }

    // What the dialog says of the scans, in place of the usual line.
    void setNote(const QString &note);

    void accept() override;

private:
    void browse();

    Platform &m_platform;
    QString m_base;
    bool m_makeFolder = false;
    QLineEdit *m_folder = nullptr;
    QRadioButton *m_complete = nullptr;
    QRadioButton *m_truncated = nullptr;
    QRadioButton *m_radius = nullptr;
    QRadioButton *m_xi = nullptr;
    QCheckBox *m_within = nullptr;
    QLabel *m_note = nullptr;
};
