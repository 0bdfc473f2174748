// SPDX-License-Identifier: GPL-3.0-or-later
// "Apply Range": the radii to keep in the chosen scans, offered from the
// range dragged on the overlay. Both ends are needed; a value out of range
// is refused with a message naming the field, and the dialog stays open.
#pragma once

#include "runs/Run.h"

#include <QDialog>

#include <optional>
#include <utility>

class Platform;
class QLineEdit;
class QPushButton;

class ApplyRangeDialog : public QDialog
{
    Q_OBJECT

public:
    // `fitLimits`, the chosen setting's column's inner and outer limits,
    // offered by a button that puts them in the fields.
    ApplyRangeDialog(std::optional<double> from, std::optional<double> to, int scans,
        Platform &platform, QWidget *parent = nullptr,
        std::optional<std::pair<double, double>> fitLimits = std::nullopt);

    // The range as accepted.
    const RadiusRange &range() const { return m_range; }

    QLineEdit *fromField() const { return m_from; }
    QLineEdit *toField() const { return m_to; }
    // Null without fit limits to offer.
    QPushButton *fitLimitsButton() const { return m_fitLimits; }

    void accept() override;

private:
    Platform &m_platform;
    RadiusRange m_range;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
    QPushButton *m_fitLimits = nullptr;
};
