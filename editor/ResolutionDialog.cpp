// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ResolutionDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

ResolutionDialog::ResolutionDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PngResolution"));
    setWindowTitle(QStringLiteral("To File (PNG)"));
    m_resolution = new QSpinBox(this);
    m_resolution->setObjectName(QStringLiteral("Resolution"));
    m_resolution->setRange(Lowest, Highest);
    m_resolution->setValue(Default);
    m_resolution->setSuffix(QStringLiteral(" dpi"));
    m_resolution->setAccessibleName(QStringLiteral("Resolution"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("&Resolution:"), m_resolution);
    layout->addRow(buttons);
}

int ResolutionDialog::dotsPerInch() const
{
    return m_resolution->value();
}
