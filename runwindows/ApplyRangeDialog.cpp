// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/ApplyRangeDialog.h"

#include "base/Platform.h"
#include "runwindows/CheckSettingsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace
{

QLineEdit *field(
    QFormLayout *form, const QString &caption, const char *name, const std::optional<double> &value)
{
    auto *edit = new QLineEdit(value ? QString::number(*value, 'g', 10) : QString());
    edit->setObjectName(QLatin1String(name));
    edit->setAccessibleName(QString(caption).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    form->addRow(caption, edit);
    return edit;
}

} // namespace

ApplyRangeDialog::ApplyRangeDialog(std::optional<double> from, std::optional<double> to, int scans,
    Platform &platform, QWidget *parent, std::optional<std::pair<double, double>> fitLimits)
    : QDialog(parent)
    , m_platform(platform)
{
    setObjectName(QStringLiteral("ApplyRange"));
    setWindowTitle(QStringLiteral("Apply Range"));
    auto *form = new QFormLayout;
    m_from = field(form, QStringLiteral("&From (cm):"), "From", from);
    m_to = field(form, QStringLiteral("&To (cm):"), "To", to);
    auto *note = new QLabel(QStringLiteral("The points outside the range are removed in the %n "
                                           "chosen scan(s); those inside that an earlier range "
                                           "removed come back. A Shift-drag on the overlay "
                                           "offers a range.")
                                .replace(QStringLiteral("%n"), QString::number(scans)));
    note->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    if (fitLimits) {
        m_fitLimits
            = buttons->addButton(QStringLiteral("Fit &Limits"), QDialogButtonBox::ActionRole);
        m_fitLimits->setObjectName(QStringLiteral("FitLimits"));
        m_fitLimits->setAccessibleName(QStringLiteral("The chosen setting's fit limits"));
        m_fitLimits->setToolTip(QStringLiteral("%1-%2 cm, the fit limits of the chosen setting's "
                                               "solution column")
                                    .arg(fitLimits->first, 0, 'f', 4)
                                    .arg(fitLimits->second, 0, 'f', 4));
        connect(m_fitLimits, &QPushButton::clicked, this, [this, fitLimits] {
            m_from->setText(QString::number(fitLimits->first, 'g', 10));
            m_to->setText(QString::number(fitLimits->second, 'g', 10));
        });
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &ApplyRangeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

void ApplyRangeDialog::accept()
{
    double values[2] = {};
    QLineEdit *const edits[2] = { m_from, m_to };
    const char *const names[2] = { "From", "To" };
    for (int k = 0; k < 2; ++k) {
        bool ok = false;
        const double value = edits[k]->text().trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(value) || value <= CheckSettingsDialog::LowestRadius
            || value > CheckSettingsDialog::HighestRadius) {
            m_platform.messageBox(QStringLiteral("%1 must be a radius above %2 and at most %3 cm.")
                                      .arg(QLatin1String(names[k]))
                                      .arg(CheckSettingsDialog::LowestRadius)
                                      .arg(CheckSettingsDialog::HighestRadius),
                windowTitle(), MsgStyle::Exclamation);
            edits[k]->setFocus();
            edits[k]->selectAll();
            return;
        }
        values[k] = value;
    }
    if (!(values[0] < values[1])) {
        m_platform.messageBox(
            QStringLiteral("To must be above From."), windowTitle(), MsgStyle::Exclamation);
        m_to->setFocus();
        m_to->selectAll();
        return;
    }
    m_range = { values[0], values[1] };
    QDialog::accept();
}
