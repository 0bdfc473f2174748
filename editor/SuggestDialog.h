// SPDX-License-Identifier: GPL-3.0-or-later
// SuggestSettings: which kinds of bad points Suggest looks for, and its four
// numbers. It holds its own copy of the settings; after OK, settings() gives
// the accepted ones. OK with a value that is not a number or out of range
// says which setting and what range, and the dialog stays with that field
// selected.
#pragma once

#include "core/Suggestions.h"

#include <QDialog>

#include <array>

class Platform;
class QCheckBox;
class QLineEdit;
class QPushButton;

class SuggestDialog : public QDialog
{
    Q_OBJECT

public:
    SuggestDialog(const SuggestSettings &offered, Platform &platform, QWidget *parent = nullptr);

    const SuggestSettings &settings() const { return m_settings; }

    QCheckBox *kindBox(SuggestKind kind) const { return m_kinds.at(size_t(kind)); }
    QLineEdit *valueBox(SuggestParameter parameter) const { return m_values.at(size_t(parameter)); }
    QPushButton *okButton() const { return m_ok; }

private:
    void Ok_Click();

    SuggestSettings m_settings;
    Platform &m_platform;
    std::array<QCheckBox *, SuggestKindCount> m_kinds {};
    std::array<QLineEdit *, 4> m_values {};
    QPushButton *m_ok = nullptr;
};
