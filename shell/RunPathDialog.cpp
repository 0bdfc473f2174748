// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/RunPathDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QPushButton>

RunPathDialog::RunPathDialog(QWidget *parent, const QString &title)
    : QFileDialog(parent, title, QDir::currentPath())
{
    setObjectName(QStringLiteral("RunPathDialog"));
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    setNameFilters({ QStringLiteral("Scans and archives (*.ra[1-8] *.ri[0-9] *.ip[0-9] "
                                    "*.wa[0-9] *.wi[0-9] *.fi[0-9] *.dat *.tar.gz *.tgz *.tar "
                                    "*.zip)"),
        QStringLiteral("All files (*)") });
    // A folder is a run too: the button takes the folder being shown, or the
    // one folder chosen in it.
    auto *folder = new QPushButton(QStringLiteral("Open &Folder"), this);
    folder->setObjectName(QStringLiteral("OpenFolder"));
    folder->setToolTip(QStringLiteral("Read every scan in this folder and its subfolders"));
    if (auto *buttons = findChild<QDialogButtonBox *>())
        buttons->addButton(folder, QDialogButtonBox::ActionRole);
    connect(folder, &QPushButton::clicked, this, &RunPathDialog::openFolder);
}

QStringList RunPathDialog::chosenPaths() const
{
    if (!m_folder.isEmpty())
        return { m_folder };
    return selectedFiles();
}

void RunPathDialog::accept()
{
    // Open with nothing typed and nothing chosen: the folder shown.
    const QStringList chosen = selectedFiles();
    if (chosen.size() == 1 && QFileInfo(chosen.constFirst()).isDir()
        && QDir(chosen.constFirst()) == directory()) {
        openFolder();
        return;
    }
    QFileDialog::accept();
}

void RunPathDialog::openFolder()
{
    const QStringList chosen = selectedFiles();
    m_folder = chosen.size() == 1 && QFileInfo(chosen.constFirst()).isDir()
        ? QFileInfo(chosen.constFirst()).absoluteFilePath()
        : directory().absolutePath();
    done(QDialog::Accepted);
}
