#include "runs/RunPlots.h"

#include <QChart>
#include <QChartView>
#include <QColorAxis>
#include <QGraphicsScene>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QSplitter>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

constexpr qreal LineWidth = 1.2;
constexpr qreal HoverWidth = 3.0;

QChartView *makeView(QChart *chart, const char *name, const QString &accessible)
{
    auto *view = new QChartView(chart);
    view->setObjectName(QLatin1String(name));
    view->setAccessibleName(accessible);
    view->setRenderHint(QPainter::Antialiasing);
    view->setRubberBand(QChartView::RectangleRubberBand);
    view->setMinimumSize(160, 100);
    return view;
}

QChart *makeChart(QValueAxis *&x, QValueAxis *&y, const QString &yTitle)
{
    auto *chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    x = new QValueAxis;
    x->setTitleText(QStringLiteral("Radius (cm)"));
    x->setLabelFormat(QStringLiteral("%.2f"));
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
}

} // namespace

RunPlots::RunPlots(QWidget *parent)
    : QWidget(parent)
{
    m_overlayChart = makeChart(m_overlayX, m_overlayY, QStringLiteral("Reading"));
    m_differenceChart
        = makeChart(m_differenceX, m_differenceY, QStringLiteral("Reading - last scan"));
    m_overlayView = makeView(m_overlayChart, "OverlayPlot", QStringLiteral("Scans overlaid"));
    m_differenceView = makeView(
        m_differenceChart, "DifferencePlot", QStringLiteral("Each scan minus the last scan"));
    m_hover = new QLabel(QStringLiteral(" "));
    m_hover->setObjectName(QStringLiteral("HoverScan"));
    m_hover->setAccessibleName(QStringLiteral("Scan under the pointer"));

    auto *split = new QSplitter(Qt::Vertical);
    split->addWidget(m_overlayView);
    split->addWidget(m_differenceView);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_hover);
    layout->addWidget(split, 1);

    connect(m_overlayX, &QValueAxis::rangeChanged, this, &RunPlots::syncRadius);
    connect(m_differenceX, &QValueAxis::rangeChanged, this, &RunPlots::syncRadius);
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
            gradient.setColorAt(1.0 - i / 8.0, TimeColour(i / 8.0));
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
    // Both plots over the same radii, the overlay's.
    syncRadius(m_overlayX->min(), m_overlayX->max());
}

void RunPlots::resetZoom()
{
    fitAxes(m_overlayX, m_overlayY, m_overlay.scans);
    fitAxes(m_differenceX, m_differenceY, m_overlay.differences);
    syncRadius(m_overlayX->min(), m_overlayX->max());
}

void RunPlots::zoomToRadii(double from, double to)
{
    if (!(from < to))
        return;
    m_overlayX->setRange(from, to);
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
    const QSize bottom = m_differenceView->size();
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
    m_differenceView->scene()->render(&painter, bottom, m_differenceView->sceneRect());
}
