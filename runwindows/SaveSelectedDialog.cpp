// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/SaveSelectedDialog.h"

#include "base/Platform.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{

QRadioButton *choice(const QString &caption, const char *name, QVBoxLayout *box)
{
    auto *button = new QRadioButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    box->addWidget(button);
    return button;
}

} // namespace

SaveSelectedDialog::SaveSelectedDialog(const QString &folder, const QString &base,
    const SaveForm &form, int scans, Platform &platform, QWidget *parent,
    std::optional<bool> withinColumn)
    : QDialog(parent)
    , m_platform(platform)
    , m_base(base)
{
    setObjectName(QStringLiteral("SaveSelected"));
    setWindowTitle(QStringLiteral("Save Selected"));

    m_folder = new QLineEdit(QDir::toNativeSeparators(folder));
    m_folder->setObjectName(QStringLiteral("Folder"));
    m_folder->setAccessibleName(QStringLiteral("Folder"));
    // What is typed replaces the last folder rather than going on after it.
    m_folder->selectAll();
    auto *browse = new QPushButton(QStringLiteral("&Browse..."));
    browse->setObjectName(QStringLiteral("Browse"));
    connect(browse, &QPushButton::clicked, this, &SaveSelectedDialog::browse);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    auto *folderLabel = new QLabel(QStringLiteral("&Folder:"));
    folderLabel->setBuddy(m_folder);
    auto *baseLabel = new QLabel(QStringLiteral("A folder without its whole path is taken from %1")
                                     .arg(QDir::toNativeSeparators(m_base)));
    baseLabel->setObjectName(QStringLiteral("BaseFolder"));
    baseLabel->setWordWrap(true);
    baseLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *points = new QGroupBox(QStringLiteral("Points"));
    auto *pointsLayout = new QVBoxLayout(points);
    m_truncated = choice(
        QStringLiteral("&Truncated: the first to the last good point"), "Truncated", pointsLayout);
    m_complete = choice(QStringLiteral("&Complete: every point, removed ones with a negative flag"),
        "Complete", pointsLayout);
    auto *x = new QGroupBox(QStringLiteral("x"));
    auto *xLayout = new QVBoxLayout(x);
    m_radius = choice(QStringLiteral("&Radius (cm)"), "Radius", xLayout);
    m_xi = choice(QStringLiteral("R^&2/2 (cm\u00b2)"), "RSquaredHalf", xLayout);
    (form.complete ? m_complete : m_truncated)->setChecked(true);
    (form.radius ? m_radius : m_xi)->setChecked(true);

    auto *note = m_note
        = new QLabel(QStringLiteral("%1 scan(s), each named after its file, in the layout "
                                    "of the data set's Save entries.")
                         .arg(scans));
    note->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &SaveSelectedDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(folderLabel);
    layout->addLayout(folderRow);
    layout->addWidget(baseLabel);
    auto *forms = new QHBoxLayout;
    forms->addWidget(points);
    forms->addWidget(x);
    layout->addLayout(forms);
    if (withinColumn) {
        m_within = new QCheckBox(QStringLiteral(
            "&Within the solution column: the points outside its fit limits removed"));
        m_within->setObjectName(QStringLiteral("WithinColumn"));
        m_within->setAccessibleName(QStringLiteral(
            "Within the solution column: the points outside its fit limits removed"));
        m_within->setChecked(*withinColumn);
        layout->addWidget(m_within);
    }
    layout->addWidget(note);
    layout->addWidget(buttons);
}

QString SaveSelectedDialog::folder() const
{
    const QString typed = QDir::fromNativeSeparators(m_folder->text().trimmed());
    if (typed.isEmpty())
        return {};
    return QDir::cleanPath(QDir(m_base).absoluteFilePath(typed));
}

SaveForm SaveSelectedDialog::form() const
{
    return SaveForm { m_complete->isChecked(), m_radius->isChecked() };
}

void SaveSelectedDialog::setNote(const QString &note)
{
    m_note->setText(note);
}

bool SaveSelectedDialog::withinColumn() const
{
    return m_within && m_within->isChecked();
}

void SaveSelectedDialog::browse()
{
    const std::optional<QString> chosen = m_platform.askFolder(
        QStringLiteral("Save Selected Scans In"), folder().isEmpty() ? m_base : folder());
    if (chosen)
        m_folder->setText(QDir::toNativeSeparators(*chosen));
}

void SaveSelectedDialog::accept()
{
    const QString chosen = folder();
    if (chosen.isEmpty()) {
        m_platform.messageBox(QStringLiteral("Choose the folder the scans are saved in."),
            windowTitle(), MsgStyle::Exclamation);
        m_folder->setFocus();
        return;
    }
    const QFileInfo info(chosen);
    if (info.exists() && !info.isDir()) {
        m_platform.messageBox(
            QStringLiteral("%1\nis a file, not a folder.").arg(QDir::toNativeSeparators(chosen)),
            windowTitle(), MsgStyle::Exclamation);
        m_folder->setFocus();
        return;
    }
    m_makeFolder = !info.exists();
    if (m_makeFolder
        && m_platform.messageBox(QStringLiteral("The folder\n%1\ndoes not exist. Make it?")
                                     .arg(QDir::toNativeSeparators(chosen)),
               windowTitle(), MsgStyle::YesNo | MsgStyle::Question)
            != MsgAnswer::Yes) {
        m_makeFolder = false;
        m_folder->setFocus();
        m_folder->selectAll();
        return;
    }
    QDialog::accept();
}
