// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/SuggestDialog.h"

#include "base/Platform.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

namespace
{

const char *const kindCaptions[SuggestKindCount] = {
    "&Place-holder rows",
    "Unreliable &readings",
    "Saturatio&n",
    "Spi&kes",
    "&X out of order",
};

const char *const valueCaptions[4] = {
    "&Factor for unreliable readings:",
    "Shortest saturated r&un:",
    "Spike &threshold:",
    "Spike &window, each side:",
};

double valueOf(const SuggestSettings &settings, SuggestParameter parameter)
{
    switch (parameter) {
    case SuggestParameter::UnreliableFactor:
        return settings.unreliableFactor;
    case SuggestParameter::SaturationRun:
        return settings.saturationRun;
    case SuggestParameter::SpikeThreshold:
        return settings.spikeThreshold;
    case SuggestParameter::SpikeHalfWindow:
        return settings.spikeHalfWindow;
    }
    return 0.0;
}

QString plainCaption(const char *caption)
{
    QString text = QLatin1String(caption);
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

} // namespace

SuggestDialog::SuggestDialog(const SuggestSettings &offered, Platform &platform, QWidget *parent)
    : QDialog(parent)
    , m_settings(offered)
    , m_platform(platform)
{
    setObjectName(QStringLiteral("SuggestSettings"));
    setWindowTitle(QStringLiteral("Suggest Settings"));
    auto *layout = new QFormLayout(this);

    for (int k = 0; k < SuggestKindCount; ++k) {
        auto *box = new QCheckBox(QLatin1String(kindCaptions[k]), this);
        box->setObjectName(QStringLiteral("SuggestKind%1").arg(k));
        box->setAccessibleName(plainCaption(kindCaptions[k]));
        box->setChecked(offered.enabled.has(SuggestKind(k)));
        layout->addRow(box);
        m_kinds[size_t(k)] = box;
    }
    for (int p = 0; p < 4; ++p) {
        const auto parameter = SuggestParameter(p);
        auto *edit = new QLineEdit(QString::number(valueOf(offered, parameter)), this);
        edit->setObjectName(QStringLiteral("SuggestValue%1").arg(p));
        const SuggestRange range = RangeOf(parameter);
        edit->setAccessibleName(plainCaption(valueCaptions[p]));
        edit->setToolTip(QStringLiteral("From %1 to %2").arg(range.min).arg(range.max));
        layout->addRow(QLatin1String(valueCaptions[p]), edit);
        m_values[size_t(p)] = edit;
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &SuggestDialog::Ok_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addRow(buttons);
}

void SuggestDialog::Ok_Click()
{
    std::array<double, 4> values {};
    for (int p = 0; p < 4; ++p) {
        const auto parameter = SuggestParameter(p);
        QLineEdit *edit = m_values[size_t(p)];
        const SuggestCheck check = CheckSuggestText(parameter, edit->text());
        if (!check.ok) {
            m_platform.messageBox(
                check.reason, QStringLiteral("Suggest Settings"), MsgStyle::Exclamation);
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
            return;
        }
        values[size_t(p)] = QLocale::c().toDouble(edit->text().trimmed());
    }
    SuggestKinds enabled;
    for (int k = 0; k < SuggestKindCount; ++k) {
        if (m_kinds[size_t(k)]->isChecked())
            enabled.add(SuggestKind(k));
    }
    m_settings.enabled = enabled;
    m_settings.unreliableFactor = values[size_t(SuggestParameter::UnreliableFactor)];
    m_settings.saturationRun = int(values[size_t(SuggestParameter::SaturationRun)]);
    m_settings.spikeThreshold = values[size_t(SuggestParameter::SpikeThreshold)];
    m_settings.spikeHalfWindow = int(values[size_t(SuggestParameter::SpikeHalfWindow)]);
    accept();
}
