// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/SplitChannelsDialog.h"

#include "base/Platform.h"
#include "runwindows/ColumnChartView.h"
#include "runwindows/Overlay.h"

#include <QChart>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace
{

// Enough curves to see where the columns lie.
constexpr size_t MaxCurves = 24;
// Readings beyond these are clipped, so a wild septum keeps the scale.
constexpr double LowestShown = -0.5;
constexpr double HighestShown = 4.5;

QString settingText(const ChannelSetting &setting)
{
    return QStringLiteral("Cell %1, %2 rpm: %3 columns")
        .arg(setting.cell)
        .arg(setting.speed)
        .arg(setting.columns.size());
}

} // namespace

SplitChannelsDialog::SplitChannelsDialog(
    const Run &run, std::vector<ChannelSetting> settings, Platform &platform, QWidget *parent)
    : QDialog(parent)
    , m_run(run)
    , m_platform(platform)
    , m_settings(std::move(settings))
{
    setObjectName(QStringLiteral("SplitChannels"));
    setWindowTitle(QStringLiteral("Split Channels"));

    m_setting = new QComboBox;
    m_setting->setObjectName(QStringLiteral("Setting"));
    m_setting->setAccessibleName(QStringLiteral("Cell and speed"));
    for (const ChannelSetting &setting : m_settings)
        m_setting->addItem(settingText(setting));
    auto *settingLabel = new QLabel(QStringLiteral("&Cell and speed:"));
    settingLabel->setBuddy(m_setting);
    auto *top = new QHBoxLayout;
    top->addWidget(settingLabel);
    top->addWidget(m_setting, 1);

    m_chart = new QChart;
    m_chart->legend()->hide();
    m_x = new QValueAxis;
    m_x->setTitleText(QStringLiteral("Radius (cm)"));
    m_y = new QValueAxis;
    m_y->setTitleText(QStringLiteral("Reading"));
    m_chart->addAxis(m_x, Qt::AlignBottom);
    m_chart->addAxis(m_y, Qt::AlignLeft);
    m_view = new ColumnChartView(m_chart);
    m_view->setObjectName(QStringLiteral("ColumnPlot"));
    m_view->setAccessibleName(QStringLiteral("Scans with their sample columns"));
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumSize(320, 200);
    connect(m_view, &ColumnChartView::columnsMoved, this, &SplitChannelsDialog::chartMoved);

    m_table = new QTableWidget(0, 2);
    m_table->setObjectName(QStringLiteral("Columns"));
    m_table->setAccessibleName(QStringLiteral("Columns"));
    m_table->setHorizontalHeaderLabels({ QStringLiteral("From (cm)"), QStringLiteral("To (cm)") });
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->setMaximumHeight(m_table->fontMetrics().height() * 8);
    connect(m_table, &QTableWidget::cellChanged, this, &SplitChannelsDialog::tableEdited);

    auto *note = new QLabel(QStringLiteral(
        "Drag an edge's handle, or type its radius. Each column becomes a scan of its own, named "
        "with -c1, -c2, ... before the extension, from the lowest radius; the columns of each "
        "cell and speed apply to all its scans."));
    note->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Split"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SplitChannelsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_table);
    layout->addWidget(note);
    layout->addWidget(buttons);
    const QRect screen = m_platform.availableArea();
    resize(std::min(900, screen.width() * 9 / 10), std::min(700, screen.height() * 9 / 10));

    connect(m_setting, &QComboBox::currentIndexChanged, this, &SplitChannelsDialog::showSetting);
    showSetting();
}

void SplitChannelsDialog::showSetting()
{
    const int index = m_setting->currentIndex();
    m_chart->removeAllSeries();
    if (index < 0 || size_t(index) >= m_settings.size())
        return;
    const ChannelSetting &setting = m_settings[size_t(index)];
    const std::vector<int> scans = ScansOf(m_run, setting);
    // Spread over the setting's scans, the last one always in.
    const size_t step = std::max<size_t>(1, (scans.size() + MaxCurves - 1) / MaxCurves);
    double xLow = INFINITY, xHigh = -INFINITY, yLow = INFINITY, yHigh = -INFINITY;
    for (size_t k = scans.size(); k-- > 0;) {
        if ((scans.size() - 1 - k) % step != 0)
            continue;
        const Scan &scan = m_run.scans[size_t(scans[k])];
        std::vector<QPointF> points;
        for (int i = 0; i < scan.numPoints; ++i) {
            const double x = scan.x(i);
            const double y = scan.reading(i);
            if (!std::isfinite(x) || !std::isfinite(y))
                continue;
            points.emplace_back(x, std::clamp(y, LowestShown, HighestShown));
            xLow = std::min(xLow, x);
            xHigh = std::max(xHigh, x);
            yLow = std::min(yLow, points.back().y());
            yHigh = std::max(yHigh, points.back().y());
        }
        points = Thinned(std::move(points));
        auto *line = new QLineSeries;
        line->setName(scan.name);
        QPen pen(TimeColour(scans.size() > 1 ? double(k) / double(scans.size() - 1) : 1.0));
        pen.setWidthF(1.0);
        line->setPen(pen);
        line->replace(QList<QPointF>(points.begin(), points.end()));
        m_chart->addSeries(line);
        line->attachAxis(m_x);
        line->attachAxis(m_y);
    }
    if (xLow < xHigh) {
        m_x->setRange(xLow, xHigh);
        m_y->setRange(yLow, yHigh > yLow ? yHigh : yLow + 1.0);
        m_x->applyNiceNumbers();
        m_y->applyNiceNumbers();
    }
    m_view->setColumns(setting.columns);
    fillTable();
}

void SplitChannelsDialog::fillTable()
{
    const int index = m_setting->currentIndex();
    if (index < 0)
        return;
    const ChannelSetting &setting = m_settings[size_t(index)];
    m_filling = true;
    m_table->setRowCount(int(setting.columns.size()));
    for (int row = 0; row < int(setting.columns.size()); ++row) {
        m_table->setVerticalHeaderItem(
            row, new QTableWidgetItem(QStringLiteral("c%1").arg(row + 1)));
        const RadiusRange &column = setting.columns[size_t(row)];
        m_table->setItem(row, 0, new QTableWidgetItem(QString::number(column.from, 'f', 4)));
        m_table->setItem(row, 1, new QTableWidgetItem(QString::number(column.to, 'f', 4)));
    }
    m_filling = false;
}

void SplitChannelsDialog::tableEdited(int row, int column)
{
    const int index = m_setting->currentIndex();
    if (m_filling || index < 0)
        return;
    ChannelSetting &setting = m_settings[size_t(index)];
    bool ok = false;
    const double value = m_table->item(row, column)->text().trimmed().toDouble(&ok);
    if (ok && std::isfinite(value) && size_t(row) < setting.columns.size()) {
        RadiusRange &range = setting.columns[size_t(row)];
        (column == 0 ? range.from : range.to) = value;
        m_view->setColumns(setting.columns);
    }
}

void SplitChannelsDialog::chartMoved()
{
    const int index = m_setting->currentIndex();
    if (index < 0)
        return;
    m_settings[size_t(index)].columns = m_view->columns();
    fillTable();
}

void SplitChannelsDialog::accept()
{
    const auto refuse = [this](const QString &text) {
        m_platform.messageBox(text, windowTitle(), MsgStyle::Exclamation);
    };
    // A cell typed as no number never reached the settings: say so.
    for (int row = 0; row < m_table->rowCount(); ++row) {
        for (int c = 0; c < 2; ++c) {
            bool ok = false;
            const QTableWidgetItem *item = m_table->item(row, c);
            const double value = item != nullptr ? item->text().trimmed().toDouble(&ok) : 0.0;
            if (!ok || !std::isfinite(value)) {
                refuse(QStringLiteral("Column c%1: its radii must be numbers.").arg(row + 1));
                return;
            }
        }
    }
    for (size_t s = 0; s < m_settings.size(); ++s) {
        const ChannelSetting &setting = m_settings[s];
        for (size_t k = 0; k < setting.columns.size(); ++k) {
            const RadiusRange &column = setting.columns[k];
            QString problem;
            if (!(column.from < column.to))
                problem = QStringLiteral("its To must be above its From");
            else if (k > 0 && !(setting.columns[k - 1].to < column.from))
                problem = QStringLiteral("it must start after column c%1 ends").arg(k);
            if (problem.isEmpty())
                continue;
            m_setting->setCurrentIndex(int(s));
            refuse(QStringLiteral("Column c%1 of cell %2 at %3 rpm: %4.")
                       .arg(k + 1)
                       .arg(setting.cell)
                       .arg(setting.speed)
                       .arg(problem));
            return;
        }
    }
    QDialog::accept();
}
