// SPDX-License-Identifier: GPL-3.0-or-later
// "Split Channels": the proposed sample columns of each cell and speed, on
// a plot of its scans with a handle on every column edge, and as numbers
// that can be typed. What is accepted is applied to every scan of that cell
// and speed.
#pragma once

#include "runs/ChannelPlan.h"

#include <QDialog>

class ColumnChartView;
class Platform;
class QChart;
class QComboBox;
class QTableWidget;
class QValueAxis;

class SplitChannelsDialog : public QDialog
{
    Q_OBJECT

public:
    SplitChannelsDialog(const Run &run, std::vector<ChannelSetting> settings, Platform &platform,
        QWidget *parent = nullptr);

    // The settings as accepted (or as they stand while open).
    const std::vector<ChannelSetting> &settings() const { return m_settings; }

    QComboBox *settingBox() const { return m_setting; }
    QTableWidget *columnTable() const { return m_table; }
    ColumnChartView *chartView() const { return m_view; }

    void accept() override;

private:
    void showSetting();
    void tableEdited(int row, int column);
    void chartMoved();
    void fillTable();

    const Run &m_run;
    Platform &m_platform;
    std::vector<ChannelSetting> m_settings;
    QComboBox *m_setting = nullptr;
    QTableWidget *m_table = nullptr;
    ColumnChartView *m_view = nullptr;
    QChart *m_chart = nullptr;
    QValueAxis *m_x = nullptr;
    QValueAxis *m_y = nullptr;
    bool m_filling = false;
};
