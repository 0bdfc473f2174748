// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunPlots.h"

#include "runs/EquilibriumCheck.h"
#include "runs/RangeChartView.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QColorAxis>
#include <QGraphicsScene>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

constexpr qreal LineWidth = 1.2;
constexpr qreal HoverWidth = 3.0;

template <typename View = QChartView>
View *makeView(QChart *chart, const char *name, const QString &accessible)
{
    auto *view = new View(chart);
    view->setObjectName(QLatin1String(name));
    view->setAccessibleName(accessible);
    view->setRenderHint(QPainter::Antialiasing);
    view->setRubberBand(QChartView::RectangleRubberBand);
    view->setMinimumSize(160, 100);
    return view;
}

QChart *makeChart(QValueAxis *&x, QValueAxis *&y, const QString &yTitle,
    const QString &xTitle = QStringLiteral("Radius (cm)"))
{
    auto *chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    x = new QValueAxis;
    x->setTitleText(xTitle);
    y = new QValueAxis;
    y->setTitleText(yTitle);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    return chart;
}

// The extent of the curves, a little wider so no point sits on the frame.
void fitAxes(QValueAxis *x, QValueAxis *y, const std::vector<OverlayCurve> &curves)
{
    double x0 = std::numeric_limits<double>::infinity(), x1 = -x0, y0 = x0, y1 = -x0;
    for (const OverlayCurve &curve : curves) {
        for (const QPointF &p : curve.points) {
            x0 = std::min(x0, p.x());
            x1 = std::max(x1, p.x());
            y0 = std::min(y0, p.y());
            y1 = std::max(y1, p.y());
        }
    }
    if (!(x0 <= x1)) {
        x0 = 0.0;
        x1 = 1.0;
        y0 = 0.0;
        y1 = 1.0;
    }
    const double dx = x1 > x0 ? 0.02 * (x1 - x0) : 0.05;
    const double dy = y1 > y0 ? 0.05 * (y1 - y0) : 0.05;
    x->setRange(x0 - dx, x1 + dx);
    y->setRange(y0 - dy, y1 + dy);
    x->applyNiceNumbers();
    y->applyNiceNumbers();
}

} // namespace

RunPlots::RunPlots(QWidget *parent)
    : QWidget(parent)
{
    m_overlayChart = makeChart(m_overlayX, m_overlayY, QStringLiteral("Reading"));
    m_differenceChart = makeChart(m_differenceX, m_differenceY, QStringLiteral("Difference"));
    m_scoreChart = makeChart(
        m_scoreX, m_scoreY, QStringLiteral("Score"), QStringLiteral("Elapsed time (h)"));
    m_scoreChart->legend()->show();
    m_scoreChart->legend()->setAlignment(Qt::AlignTop);
    m_overlayView
        = makeView<RangeChartView>(m_overlayChart, "OverlayPlot", QStringLiteral("Scans overlaid"));
    m_differenceView = makeView(
        m_differenceChart, "DifferencePlot", QStringLiteral("Each scan minus the last scan"));
    m_scoreView = makeView(m_scoreChart, "ScorePlot", QStringLiteral("Scores against time"));
    m_scoreView->setRubberBand(QChartView::NoRubberBand);
    m_hover = new QLabel(QStringLiteral(" "));
    m_hover->setObjectName(QStringLiteral("HoverScan"));
    m_hover->setAccessibleName(QStringLiteral("Scan under the pointer"));

    m_offsets = new QCheckBox(QStringLiteral("Remove each scan's &offset"));
    m_offsets->setObjectName(QStringLiteral("RemoveOffsets"));
    m_offsets->setChecked(true);
    connect(m_offsets, &QCheckBox::toggled, this, &RunPlots::offsetsToggled);
    auto *differences = new QWidget;
    auto *differencesLayout = new QVBoxLayout(differences);
    differencesLayout->setContentsMargins(0, 0, 0, 0);
    differencesLayout->addWidget(m_offsets);
    differencesLayout->addWidget(m_differenceView, 1);
    m_lower = new QTabWidget;
    m_lower->setObjectName(QStringLiteral("LowerPlots"));
    m_lower->addTab(differences, QStringLiteral("Differences"));
    m_lower->addTab(m_scoreView, QStringLiteral("Scores"));

    auto *split = new QSplitter(Qt::Vertical);
    split->addWidget(m_overlayView);
    split->addWidget(m_lower);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setSizes({ 3000, 2000 }); // shared in that proportion, whatever the size
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_hover);
    layout->addWidget(split, 1);

    connect(m_overlayX, &QValueAxis::rangeChanged, this, &RunPlots::syncRadius);
    connect(m_differenceX, &QValueAxis::rangeChanged, this, &RunPlots::syncRadius);
    connect(m_overlayView, &RangeChartView::rangeChosen, this, &RunPlots::rangeChosen);
}

void RunPlots::fill(QChart *chart, QValueAxis *x, QValueAxis *y,
    const std::vector<OverlayCurve> &curves, std::vector<QLineSeries *> &series, bool colourScale)
{
    chart->removeAllSeries();
    series.clear();
    for (QAbstractAxis *axis : chart->axes()) {
        if (axis != x && axis != y) {
            chart->removeAxis(axis);
            delete axis;
        }
    }
    for (const OverlayCurve &curve : curves) {
        auto *line = new QLineSeries;
        line->setName(curve.label);
        QPen pen(curve.colour);
        pen.setWidthF(LineWidth);
        line->setPen(pen);
        line->replace(QList<QPointF>(curve.points.begin(), curve.points.end()));
        chart->addSeries(line);
        line->attachAxis(x);
        line->attachAxis(y);
        const int scan = curve.scan;
        connect(line, &QLineSeries::hovered, this,
            [this, scan](const QPointF &, bool state) { hoverScan(state ? scan : -1); });
        series.push_back(line);
    }
    if (colourScale && !series.empty() && m_overlay.lastHours > m_overlay.firstHours) {
        auto *scale = new QColorAxis;
        scale->setTitleText(QStringLiteral("Elapsed time (h)"));
        QLinearGradient gradient(0, 0, 0, 1);
        for (int i = 0; i <= 8; ++i)
            gradient.setColorAt(i / 8.0, TimeColour(i / 8.0));
        scale->setGradient(gradient);
        scale->setRange(m_overlay.firstHours, m_overlay.lastHours);
        chart->addAxis(scale, Qt::AlignRight);
        series.front()->attachAxis(scale);
    }
    fitAxes(x, y, curves);
}

void RunPlots::setOverlay(const Overlay &overlay)
{
    m_overlay = overlay;
    m_hover->setText(QStringLiteral(" "));
    fill(m_overlayChart, m_overlayX, m_overlayY, m_overlay.scans, m_overlaySeries, true);
    fill(m_differenceChart, m_differenceX, m_differenceY, m_overlay.differences, m_differenceSeries,
        false);
    m_differenceY->setTitleText(
        m_overlay.offsetsRemoved ? QStringLiteral("Less offset") : QStringLiteral("Difference"));
    fillScores();
    // Both plots over the same radii, the overlay's.
    syncRadius(m_overlayX->min(), m_overlayX->max());
}

void RunPlots::fillScores()
{
    m_scoreChart->removeAllSeries();
    double last = 1.0;
    double top = 3.0;
    for (const ScoreCurve &curve : m_overlay.scores) {
        auto *line = new QLineSeries;
        line->setName(curve.label);
        line->setPointsVisible(true);
        line->replace(QList<QPointF>(curve.points.begin(), curve.points.end()));
        m_scoreChart->addSeries(line);
        line->attachAxis(m_scoreX);
        line->attachAxis(m_scoreY);
        for (const QPointF &p : curve.points) {
            last = std::max(last, p.x());
            top = std::max(top, p.y());
        }
        const std::vector<int> scans = curve.scans;
        connect(
            line, &QLineSeries::hovered, this, [this, scans, line](const QPointF &at, bool state) {
                int nearest = -1;
                double distance = std::numeric_limits<double>::infinity();
                for (int i = 0; i < line->count(); ++i) {
                    const double d = std::fabs(line->at(i).x() - at.x());
                    if (d < distance) {
                        distance = d;
                        nearest = scans[size_t(i)];
                    }
                }
                hoverScan(state ? nearest : -1);
            });
    }
    // The limit: at most 2.0 is noise alone.
    auto *limit = new QLineSeries;
    limit->setName(QStringLiteral("Limit %1").arg(ScoreLimit, 0, 'f', 1));
    QPen pen(QColor(200, 40, 40));
    pen.setStyle(Qt::DashLine);
    limit->setPen(pen);
    limit->append(0.0, ScoreLimit);
    limit->append(last * 1.05, ScoreLimit);
    m_scoreChart->addSeries(limit);
    limit->attachAxis(m_scoreX);
    limit->attachAxis(m_scoreY);
    m_scoreX->setRange(0.0, last * 1.05);
    m_scoreY->setRange(0.0, top * 1.05);
    m_scoreX->applyNiceNumbers();
    m_scoreY->applyNiceNumbers();
}

void RunPlots::setCheckRange(std::optional<double> from, std::optional<double> to)
{
    m_overlayView->setRange(from, to);
}

QChartView *RunPlots::lowerView() const
{
    return m_lower->currentIndex() == 0 ? m_differenceView : m_scoreView;
}

void RunPlots::resetZoom()
{
    fitAxes(m_overlayX, m_overlayY, m_overlay.scans);
    fitAxes(m_differenceX, m_differenceY, m_overlay.differences);
    syncRadius(m_overlayX->min(), m_overlayX->max());
}

std::pair<double, double> RunPlots::radiusRange() const
{
    return { m_overlayX->min(), m_overlayX->max() };
}

void RunPlots::syncRadius(qreal from, qreal to)
{
    if (m_syncing)
        return;
    m_syncing = true;
    m_overlayX->setRange(from, to);
    m_differenceX->setRange(from, to);
    m_syncing = false;
}

void RunPlots::hoverScan(int scan)
{
    QString text = QStringLiteral(" ");
    for (size_t i = 0; i < m_overlay.scans.size(); ++i) {
        const bool on = m_overlay.scans[i].scan == scan;
        if (on)
            text = m_overlay.scans[i].label;
        QPen pen = m_overlaySeries[i]->pen();
        pen.setWidthF(on ? HoverWidth : LineWidth);
        m_overlaySeries[i]->setPen(pen);
    }
    for (size_t i = 0; i < m_overlay.differences.size(); ++i) {
        QPen pen = m_differenceSeries[i]->pen();
        pen.setWidthF(m_overlay.differences[i].scan == scan ? HoverWidth : LineWidth);
        m_differenceSeries[i]->setPen(pen);
    }
    m_hover->setText(text);
}

QSize RunPlots::pictureSize() const
{
    const QSize top = m_overlayView->size();
    const QSize bottom = lowerView()->size();
    return QSize(std::max(top.width(), bottom.width()), top.height() + bottom.height());
}

void RunPlots::render(QPainter &painter, const QRectF &target)
{
    const QSize size = pictureSize();
    if (size.isEmpty())
        return;
    const double share = double(m_overlayView->height()) / size.height();
    const QRectF top(target.topLeft(), QSizeF(target.width(), target.height() * share));
    const QRectF bottom(QPointF(target.left(), top.bottom()),
        QSizeF(target.width(), target.height() - top.height()));
    m_overlayView->scene()->render(&painter, top, m_overlayView->sceneRect());
    lowerView()->scene()->render(&painter, bottom, lowerView()->sceneRect());
}
