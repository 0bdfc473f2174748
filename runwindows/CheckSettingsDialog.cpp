// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/CheckSettingsDialog.h"

#include "base/Platform.h"
#include "runs/Buoyancy.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <cmath>

namespace
{

QString numberText(double value)
{
    return QString::number(value, 'g', 10);
}

QLineEdit *field(QFormLayout *form, const QString &caption, const char *name, const QString &text)
{
    auto *edit = new QLineEdit(text);
    edit->setObjectName(QLatin1String(name));
    edit->setAccessibleName(QString(caption).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    form->addRow(caption, edit);
    return edit;
}

// The number in `text`; nothing when it is no finite number.
std::optional<double> numberIn(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

CheckSettingsDialog::CheckSettingsDialog(
    const RunOptions &options, Platform &platform, QWidget *parent)
    : QDialog(parent)
    , m_platform(platform)
    , m_options(options)
{
    setObjectName(QStringLiteral("CheckSettings"));
    setWindowTitle(QStringLiteral("Check Settings"));
    auto *form = new QFormLayout;
    m_from = field(form, QStringLiteral("&From (cm):"), "From",
        options.from ? numberText(*options.from) : QString());
    m_to = field(
        form, QStringLiteral("&To (cm):"), "To", options.to ? numberText(*options.to) : QString());
    m_trim = field(form, QStringLiteral("T&rim (cm):"), "Trim", numberText(options.trim));
    m_ceiling = field(form, QStringLiteral("&Ceiling:"), "Ceiling", numberText(options.ceiling));
    m_vbar = field(form, QStringLiteral("&v\u0304 (mL/g):"), "Vbar", numberText(options.vbar));
    m_density
        = field(form, QStringLiteral("\u03c1 (&g/mL):"), "Density", numberText(options.density));
    m_from->setPlaceholderText(QStringLiteral("from the scans"));
    m_to->setPlaceholderText(QStringLiteral("from the scans"));
    auto *note = new QLabel(QStringLiteral(
        "Empty From or To: each pair of scans is compared over its overlap, trimmed at each "
        "end. Absorbance readings above the ceiling are left out. v\u0304 and \u03c1 turn "
        "buoyant masses into masses, here and in the ln c window."));
    note->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &CheckSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

void CheckSettingsDialog::accept()
{
    const auto refuse = [this](QLineEdit *edit, const QString &text) {
        m_platform.messageBox(text, windowTitle(), MsgStyle::Exclamation);
        edit->setFocus();
        edit->selectAll();
    };
    RunOptions chosen = m_options;
    const QString radiusRange
        = QStringLiteral("a radius above %1 and at most %2 cm, or empty for the scans' own")
              .arg(LowestRadius)
              .arg(HighestRadius);
    for (auto [edit, end, name] : { std::tuple(m_from, &RunOptions::from, "From"),
             std::tuple(m_to, &RunOptions::to, "To") }) {
        if (edit->text().trimmed().isEmpty()) {
            chosen.*end = std::nullopt;
            continue;
        }
        const std::optional<double> value = numberIn(edit->text());
        if (!value || *value <= LowestRadius || *value > HighestRadius) {
            refuse(edit, QStringLiteral("%1 must be %2.").arg(QLatin1String(name), radiusRange));
            return;
        }
        chosen.*end = value;
    }
    if (chosen.from && chosen.to && !(*chosen.from < *chosen.to)) {
        refuse(m_to, QStringLiteral("To must be above From."));
        return;
    }
    const std::optional<double> trim = numberIn(m_trim->text());
    if (!trim || *trim < 0.0 || *trim > HighestTrim) {
        refuse(m_trim, QStringLiteral("Trim must be a number from 0 to %1 cm.").arg(HighestTrim));
        return;
    }
    const std::optional<double> ceiling = numberIn(m_ceiling->text());
    if (!ceiling || *ceiling <= 0.0 || *ceiling > HighestCeiling) {
        refuse(m_ceiling,
            QStringLiteral("Ceiling must be a number above 0 and at most %1.").arg(HighestCeiling));
        return;
    }
    const std::optional<double> vbar = numberIn(m_vbar->text());
    if (!vbar || *vbar < LowestVbar || *vbar > HighestVbar) {
        refuse(m_vbar,
            QStringLiteral("v\u0304 must be a number from %1 to %2 mL/g.")
                .arg(LowestVbar)
                .arg(HighestVbar));
        return;
    }
    const std::optional<double> density = numberIn(m_density->text());
    if (!density || *density < LowestDensity || *density > HighestDensity) {
        refuse(m_density,
            QStringLiteral("\u03c1 must be a number from %1 to %2 g/mL.")
                .arg(LowestDensity)
                .arg(HighestDensity));
        return;
    }
    if (*vbar * *density == 1.0) {
        refuse(m_density,
            QStringLiteral("v\u0304 times \u03c1 must not be 1: the mass would have no buoyancy."));
        return;
    }
    chosen.trim = *trim;
    chosen.ceiling = *ceiling;
    chosen.vbar = *vbar;
    chosen.density = *density;
    m_options = chosen;
    QDialog::accept();
}
