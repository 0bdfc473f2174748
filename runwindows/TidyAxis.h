// SPDX-License-Identifier: GPL-3.0-or-later
// A chart's value axis labelled with tidy ticks (AxisTicks) for its range
// and for its length on the screen, so that every label is whole and none
// reads "-0". It labels itself again whenever its range or the chart's
// plot area changes. A title longer than the plot area is hidden, and so
// is a horizontal axis' title on a plot too short to spare it.
#pragma once

#include "runwindows/AxisTicks.h"

#include <QCategoryAxis>

class QChart;

class TidyAxis : public QCategoryAxis
{
    Q_OBJECT

public:
    explicit TidyAxis(QObject *parent = nullptr);

    // Adds the axis to `chart` on that side (the chart takes it) and
    // follows the chart's plot area.
    void addTo(QChart *chart, Qt::Alignment alignment);

    const AxisTicks &ticks() const { return m_ticks; }
    // The ticks' labels, lowest first.
    QStringList tickTexts() const;

private:
    void relabel();
    void showTitleIfItFits();

    bool m_horizontal = true;
    double m_length = 0.0; // of the plot area, along the axis and across it
    double m_across = 0.0;
    AxisTicks m_ticks;
    double m_labelledFrom = 0.0;
    double m_labelledTo = 0.0;
};
