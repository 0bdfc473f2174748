// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/ColumnDialog.h"

#include "base/Platform.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace
{

const char *const Captions[4]
    = { "&Meniscus (cm):", "&Bottom (cm):", "&Inner limit (cm):", "&Outer limit (cm):" };
const char *const Names[4] = { "Meniscus", "Bottom", "Inner limit", "Outer limit" };
const char *const ObjectNames[4] = { "Meniscus", "Bottom", "InnerLimit", "OuterLimit" };

QString radiusText(double value)
{
    return QString::number(value, 'f', 4);
}

} // namespace

ColumnDialog::ColumnDialog(const std::optional<SolutionColumn> &shown,
    const std::optional<SolutionColumn> &found, double lowest, double highest,
    const QString &setting, Platform &platform, QWidget *parent)
    : QDialog(parent)
    , m_platform(platform)
    , m_found(found)
    , m_lowest(lowest)
    , m_highest(highest)
{
    setObjectName(QStringLiteral("ColumnDialog"));
    setWindowTitle(QStringLiteral("Column"));
    auto *title = new QLabel(setting);
    title->setWordWrap(true);
    auto *form = new QFormLayout;
    for (int k = 0; k < 4; ++k) {
        m_fields[k] = new QLineEdit;
        m_fields[k]->setObjectName(QLatin1String(ObjectNames[k]));
        m_fields[k]->setAccessibleName(QLatin1String(Names[k]));
        form->addRow(QLatin1String(Captions[k]), m_fields[k]);
    }
    m_scope = new QComboBox;
    m_scope->setObjectName(QStringLiteral("ApplyTo"));
    m_scope->setAccessibleName(QStringLiteral("Apply to"));
    m_scope->addItems(
        { QStringLiteral("This setting"), QStringLiteral("Every setting of this cell") });
    form->addRow(QStringLiteral("&Apply to:"), m_scope);
    auto *note = new QLabel(QStringLiteral("Every setting of the cell keeps its own stretch: the "
                                           "difference between its column and this one's, as "
                                           "found, is added to each value."));
    note->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Reset);
    m_resetButton = buttons->button(QDialogButtonBox::Reset);
    m_resetButton->setAccessibleName(QStringLiteral("Reset to the column found"));
    m_resetButton->setToolTip(QStringLiteral("The values found in the setting's scans"));
    m_resetButton->setEnabled(m_found.has_value());
    connect(m_resetButton, &QPushButton::clicked, this, [this] {
        if (m_found)
            fill(*m_found);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &ColumnDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
    if (shown)
        fill(*shown);
}

void ColumnDialog::fill(const SolutionColumn &column)
{
    const double values[4] = { column.meniscus, column.bottom, column.inner, column.outer };
    for (int k = 0; k < 4; ++k) {
        m_filled[k] = values[k];
        m_fields[k]->setText(radiusText(values[k]));
    }
}

ColumnDialog::Scope ColumnDialog::scope() const
{
    return m_scope->currentIndex() == 1 ? Scope::EveryCellSetting : Scope::ThisSetting;
}

void ColumnDialog::refuse(int field, const QString &text)
{
    m_platform.messageBox(text, windowTitle(), MsgStyle::Exclamation);
    m_fields[field]->setFocus();
    m_fields[field]->selectAll();
}

void ColumnDialog::accept()
{
    double values[4] = {};
    for (int k = 0; k < 4; ++k) {
        bool ok = false;
        const double value = m_fields[k]->text().trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(value) || value < m_lowest || value > m_highest) {
            refuse(k,
                QStringLiteral("%1 must be a radius within the scans' radii, %2 to %3 cm.")
                    .arg(QLatin1String(Names[k]), radiusText(m_lowest), radiusText(m_highest)));
            return;
        }
        values[k] = m_fields[k]->text().trimmed() == radiusText(m_filled[k]) ? m_filled[k]
                                                                             : ColumnRadius(value);
    }
    const auto [meniscus, bottom, inner, outer] = values;
    if (!(meniscus < bottom)) {
        refuse(0, QStringLiteral("Meniscus must be below Bottom."));
        return;
    }
    for (int k : { 2, 3 }) {
        if (values[k] < meniscus || values[k] > bottom) {
            refuse(k,
                QStringLiteral("%1 must lie between Meniscus and Bottom.")
                    .arg(QLatin1String(Names[k])));
            return;
        }
    }
    if (!(inner < outer)) {
        refuse(2, QStringLiteral("Inner limit must be below Outer limit."));
        return;
    }
    m_column = { meniscus, bottom, inner, outer, true };
    m_reset = m_found
        && SolutionColumn {
               m_found->meniscus, m_found->bottom, m_found->inner, m_found->outer, true
           } == m_column;
    QDialog::accept();
}
