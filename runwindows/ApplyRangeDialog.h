// SPDX-License-Identifier: GPL-3.0-or-later
// "Apply Range": the radii to keep in the chosen scans, offered from the
// range dragged on the overlay. Both ends are needed; a value out of range
// is refused with a message naming the field, and the dialog stays open.
#pragma once

#include "runs/Run.h"

#include <QDialog>

class Platform;
class QLineEdit;

class ApplyRangeDialog : public QDialog
{
    Q_OBJECT

public:
    ApplyRangeDialog(std::optional<double> from, std::optional<double> to, int scans,
        Platform &platform, QWidget *parent = nullptr);

    // The range as accepted.
    const RadiusRange &range() const { return m_range; }

    QLineEdit *fromField() const { return m_from; }
    QLineEdit *toField() const { return m_to; }

    void accept() override;

private:
    Platform &m_platform;
    RadiusRange m_range;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
};
