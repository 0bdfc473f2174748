// SPDX-License-Identifier: GPL-3.0-or-later
// PngResolution: asks at how many dots per inch the plot is written as a
// PNG file (the window's pixels are at 96).
#pragma once

#include <QDialog>

class QSpinBox;

class ResolutionDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int Default = 300;
    static constexpr int Lowest = 72;
    static constexpr int Highest = 1200;

    explicit ResolutionDialog(QWidget *parent = nullptr);

    QSpinBox *resolutionBox() const { return m_resolution; }
    int dotsPerInch() const;

private:
    QSpinBox *m_resolution = nullptr;
};
