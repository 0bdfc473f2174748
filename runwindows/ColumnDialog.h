// SPDX-License-Identifier: GPL-3.0-or-later
// Check > Column...: the chosen setting's solution column typed in cm, for
// this setting or every setting of its cell, and Reset to the values found
// in its scans. A value outside the scans' radii, a meniscus at or past the
// bottom, a limit outside the column or limits out of order are refused with
// a message naming the field, and the dialog stays open.
#pragma once

#include "runs/SolutionColumn.h"

#include <QDialog>

#include <optional>

class Platform;
class QComboBox;
class QLineEdit;
class QPushButton;

class ColumnDialog : public QDialog
{
    Q_OBJECT

public:
    // `shown` the column in use (fields empty without one), `found` the one
    // its scans show (no Reset without one), `lowest` and `highest` the
    // radii its scans reach (cm), `setting` names it.
    ColumnDialog(const std::optional<SolutionColumn> &shown,
        const std::optional<SolutionColumn> &found, double lowest, double highest,
        const QString &setting, Platform &platform, QWidget *parent = nullptr);

    enum class Scope { ThisSetting, EveryCellSetting };

    // As accepted, each radius to 1e-5 cm.
    const SolutionColumn &column() const { return m_column; }
    Scope scope() const;
    // Accepted with the found values as they are: the hand-set column goes.
    bool resetChosen() const { return m_reset; }

    QLineEdit *meniscusField() const { return m_fields[0]; }
    QLineEdit *bottomField() const { return m_fields[1]; }
    QLineEdit *innerField() const { return m_fields[2]; }
    QLineEdit *outerField() const { return m_fields[3]; }
    QComboBox *scopeBox() const { return m_scope; }
    QPushButton *resetButton() const { return m_resetButton; }

    void accept() override;

private:
    void fill(const SolutionColumn &column);
    void refuse(int field, const QString &text);

    Platform &m_platform;
    std::optional<SolutionColumn> m_found;
    double m_lowest;
    double m_highest;
    SolutionColumn m_column;
    bool m_reset = false;
    QLineEdit *m_fields[4] = {};
    // The values last filled in, kept to the last digit while their text
    // is left as it was: the fields show four decimals, a column has five.
    double m_filled[4] = {};
    QComboBox *m_scope = nullptr;
    QPushButton *m_resetButton = nullptr;
};
