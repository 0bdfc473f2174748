// SPDX-License-Identifier: GPL-3.0-or-later
// "Check Settings": the range, trim and ceiling of the equilibrium check,
// and the v-bar and rho of the masses.
// An empty From or To leaves that end to the scans. A value out of its
// range is refused with a message naming the field and the range, and the
// dialog stays open.
#pragma once

#include "runs/RunOptions.h"

#include <QDialog>

class Platform;
class QLineEdit;

class CheckSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    // The limits of the fields.
    static constexpr double LowestRadius = 0.0; // cm, exclusive
    static constexpr double HighestRadius = 20.0; // cm
    static constexpr double HighestTrim = 1.0; // cm
    static constexpr double HighestCeiling = 10.0;

    CheckSettingsDialog(const RunOptions &options, Platform &platform, QWidget *parent = nullptr);

    // The settings as accepted; the other fields of RunOptions as given.
    const RunOptions &options() const { return m_options; }

    QLineEdit *fromField() const { return m_from; }
    QLineEdit *toField() const { return m_to; }
    QLineEdit *trimField() const { return m_trim; }
    QLineEdit *ceilingField() const { return m_ceiling; }
    QLineEdit *vbarField() const { return m_vbar; }
    QLineEdit *densityField() const { return m_density; }

    void accept() override;

private:
    Platform &m_platform;
    RunOptions m_options;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
    QLineEdit *m_trim = nullptr;
    QLineEdit *m_ceiling = nullptr;
    QLineEdit *m_vbar = nullptr;
    QLineEdit *m_density = nullptr;
};
