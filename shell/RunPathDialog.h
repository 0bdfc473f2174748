// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog of "Open Run...": Qt's own file dialog, in which several scan
// files or archives are chosen, or a whole folder with "Open Folder".
#pragma once

#include <QFileDialog>
#include <QStringList>

class RunPathDialog : public QFileDialog
{
    Q_OBJECT

public:
    RunPathDialog(QWidget *parent, const QString &title);

    // The chosen files, or the one chosen folder.
    QStringList chosenPaths() const;

    void accept() override;

private:
    void openFolder();

    QString m_folder;
};
