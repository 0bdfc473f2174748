// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/RunPlots.h"

#include "runs/EquilibriumCheck.h"
#include "runwindows/CurvesItem.h"
#include "runwindows/PlotExtent.h"
#include "runwindows/RangeChartView.h"
#include "runwindows/TidyAxis.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QColorAxis>
#include <QEvent>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

// Margins round the data, as a share of its extent.
constexpr double RadiusMargin = 0.02;
constexpr double ReadingMargin = 0.06;
constexpr double TimeMargin = 0.03;

const QMargins ChartMargins(4, 4, 4, 4);
const QColor GreyedColour(120, 120, 120);
const QColor RemovedColour(215, 160, 160);

template <typename View = QChartView>
View *makeView(QChart *chart, const char *name, const QString &accessible)
{
    auto *view = new View(chart);
    view->setObjectName(QLatin1String(name));
    view->setAccessibleName(accessible);
    // The curves smooth themselves (CurvesItem); the grid and the column's
    // lines are upright and level and need none, and smoothing them costs
    // most of a repaint at full size.
    view->setRenderHint(QPainter::Antialiasing, false);
    view->setRubberBand(QChartView::RectangleRubberBand);
    // Tall enough for a tick label of each axis.
    view->setMinimumSize(160, 110);
    return view;
}

QChart *makeChart(TidyAxis *&x, TidyAxis *&y, const QString &yTitle,
    const QString &xTitle = QStringLiteral("Radius (cm)"))
{
    auto *chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->hide();
    chart->setMargins(ChartMargins);
    x = new TidyAxis;
    x->setTitleText(xTitle);
    y = new TidyAxis;
    y->setTitleText(yTitle);
    x->addTo(chart, Qt::AlignBottom);
    y->addTo(chart, Qt::AlignLeft);
    return chart;
}

QGraphicsSimpleTextItem *makeNote(QChart *chart)
{
    auto *note = new QGraphicsSimpleTextItem(chart);
    note->setBrush(QColor(90, 90, 90));
    note->setZValue(10.0);
    note->hide();
    return note;
}

void attach(QChart *chart, QAbstractSeries *series, TidyAxis *x, TidyAxis *y)
{
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

std::vector<WindowedCurve> windowsOf(const std::vector<OverlayCurve> &curves)
{
    std::vector<WindowedCurve> windows;
    windows.reserve(curves.size());
    for (const OverlayCurve &curve : curves)
        windows.push_back({ &curve.points, curve.from, curve.to });
    return windows;
}

std::vector<const std::vector<QPointF> *> pointsOf(const std::vector<OverlayCurve> &curves)
{
    std::vector<const std::vector<QPointF> *> points;
    points.reserve(curves.size() + 2);
    for (const OverlayCurve &curve : curves)
        points.push_back(&curve.points);
    return points;
}

// A reading axis' ends: a little wider than the readings, or a little
// round a single value.
ValueRange readingEnds(ValueRange readings)
{
    return Padded(readings, ReadingMargin, std::max(0.05, 0.05 * std::fabs(readings.from)));
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
    m_overlayNote = makeNote(m_overlayChart);
    m_differenceNote = makeNote(m_differenceChart);
    m_scoreNote = makeNote(m_scoreChart);
    m_overlayView
        = makeView<RangeChartView>(m_overlayChart, "OverlayPlot", QStringLiteral("Scans overlaid"));
    m_differenceView = makeView(
        m_differenceChart, "DifferencePlot", QStringLiteral("Each scan minus the last scan"));
    m_scoreView = makeView(m_scoreChart, "ScorePlot", QStringLiteral("Scores against time"));
    m_scoreView->setRenderHint(QPainter::Antialiasing); // its lines are Qt's own, and slope
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
    // The plot areas line up again whenever a reading axis' labels or a
    // plot's size change.
    for (TidyAxis *axis : { m_overlayY, m_differenceY })
        connect(axis, &QCategoryAxis::categoriesChanged, this, &RunPlots::scheduleAlignment);
    for (TidyAxis *axis : { m_overlayX, m_overlayY, m_differenceX, m_differenceY })
        connect(axis, &QAbstractAxis::titleVisibleChanged, this, &RunPlots::scheduleAlignment);
    connect(m_lower, &QTabWidget::currentChanged, this, &RunPlots::scheduleAlignment);
    for (QChartView *view : { static_cast<QChartView *>(m_overlayView), m_differenceView })
        view->installEventFilter(this);
    for (QChart *chart : { m_overlayChart, m_differenceChart, m_scoreChart })
        connect(chart, &QChart::plotAreaChanged, this, &RunPlots::placeNotes);
    connect(m_overlayChart, &QChart::plotAreaChanged, this, &RunPlots::fitColourScale);

    m_overlayAnchor = new QLineSeries;
    attach(m_overlayChart, m_overlayAnchor, m_overlayX, m_overlayY);
    m_differenceAnchor = new QLineSeries;
    attach(m_differenceChart, m_differenceAnchor, m_differenceX, m_differenceY);
    m_overlayCurves = new CurvesItem(m_overlayChart, m_overlayX, m_overlayY);
    m_differenceCurves = new CurvesItem(m_differenceChart, m_differenceX, m_differenceY);
    for (CurvesItem *curves : { m_overlayCurves, m_differenceCurves })
        curves->setHoverHandler([this](int scan) { hoverScan(scan); });
}

bool RunPlots::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
        scheduleAlignment();
    return QWidget::eventFilter(watched, event);
}

void RunPlots::fillColourScale()
{
    m_colourScale = nullptr;
    for (QAbstractAxis *axis : m_overlayChart->axes()) {
        if (axis != m_overlayX && axis != m_overlayY) {
            m_overlayChart->removeAxis(axis);
            delete axis;
        }
    }
    if (m_overlay.scans.empty() || !(m_overlay.lastHours > m_overlay.firstHours))
        return;
    auto *scale = new QColorAxis;
    scale->setTitleText(QStringLiteral("Elapsed time (h)"));
    QLinearGradient gradient(0, 0, 0, 1);
    for (int i = 0; i <= 8; ++i)
        gradient.setColorAt(i / 8.0, TimeColour(i / 8.0));
    scale->setGradient(gradient);
    scale->setRange(m_overlay.firstHours, m_overlay.lastHours);
    m_overlayChart->addAxis(scale, Qt::AlignRight);
    m_overlayAnchor->attachAxis(scale);
    m_colourScale = scale;
    fitColourScale();
}

void RunPlots::fitColourScale()
{
    if (!m_colourScale)
        return;
    // As many labels as the plot's height holds whole, none below three,
    // and the title only where it fits, as the other axes do.
    const double height = m_overlayChart->plotArea().height();
    const int labels = int(height / (QFontMetricsF(m_colourScale->labelsFont()).height() + 14.0));
    const int ticks = std::clamp(labels, 2, 5);
    const double title
        = QFontMetricsF(m_colourScale->titleFont()).horizontalAdvance(m_colourScale->titleText());
    const bool titled = title + 12.0 <= height;
    const bool labelled = labels >= 3; // two would crowd the scale's ends
    if (m_colourScale->labelsVisible() == labelled && m_colourScale->tickCount() == ticks
        && m_colourScale->isTitleVisible() == titled)
        return;
    m_colourScale->setLabelsVisible(labelled);
    m_colourScale->setTickCount(ticks);
    m_colourScale->setTitleVisible(titled);
    scheduleAlignment(); // the scale's width changed
}

void RunPlots::setOverlay(const Overlay &overlay)
{
    m_overlay = overlay;
    m_hover->setText(QStringLiteral(" "));
    m_overlayCurves->setCurves(&m_overlay.scans);
    m_overlayCurves->setDots(
        { { &m_overlay.removed, RemovedColour }, { &m_overlay.greyed, GreyedColour } });
    m_differenceCurves->setCurves(&m_overlay.differences);
    fillColourScale();
    m_differenceY->setTitleText(
        m_overlay.offsetsRemoved ? QStringLiteral("Less offset") : QStringLiteral("Difference"));
    fillScores();
    resetZoom();
    m_overlayNote->setText(m_overlay.overlayNote);
    m_differenceNote->setText(m_overlay.differenceNote);
    m_scoreNote->setText(m_overlay.scoreNote);
    placeNotes();
}

void RunPlots::setChecks(const Overlay &overlay)
{
    // The same curves of the same scans take their new points in place: new
    // series would lay the chart and its legend out again. (Each line's
    // hover names its points' scans.)
    bool same = m_scoreLines.size() == overlay.scores.size()
        && m_overlay.scores.size() == overlay.scores.size();
    for (size_t k = 0; same && k < m_scoreLines.size(); ++k) {
        same = m_overlay.scores[k].label == overlay.scores[k].label
            && m_overlay.scores[k].scans == overlay.scores[k].scans;
    }
    m_overlay = overlay;
    m_overlayCurves->setCurves(&m_overlay.scans);
    m_overlayCurves->setDots(
        { { &m_overlay.removed, RemovedColour }, { &m_overlay.greyed, GreyedColour } });
    m_differenceCurves->setCurves(&m_overlay.differences);
    m_differenceY->setTitleText(
        m_overlay.offsetsRemoved ? QStringLiteral("Less offset") : QStringLiteral("Difference"));
    if (same) {
        for (size_t k = 0; k < m_scoreLines.size(); ++k) {
            const std::vector<QPointF> &points = m_overlay.scores[k].points;
            m_scoreLines[k]->replace(QList<QPointF>(points.begin(), points.end()));
        }
    } else {
        fillScores();
    }
    fitDifferences();
    fitScores();
    m_overlayNote->setText(m_overlay.overlayNote);
    m_differenceNote->setText(m_overlay.differenceNote);
    m_scoreNote->setText(m_overlay.scoreNote);
    placeNotes();
}

void RunPlots::fillScores()
{
    m_scoreChart->removeAllSeries();
    m_scoreLines.clear();
    for (const ScoreCurve &curve : m_overlay.scores) {
        auto *line = new QLineSeries;
        m_scoreLines.push_back(line);
        line->setName(curve.label);
        line->setPointsVisible(true);
        line->replace(QList<QPointF>(curve.points.begin(), curve.points.end()));
        attach(m_scoreChart, line, m_scoreX, m_scoreY);
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
    m_limit = new QLineSeries;
    m_limit->setName(QStringLiteral("Limit %1").arg(ScoreLimit, 0, 'f', 1));
    QPen pen(QColor(200, 40, 40));
    pen.setStyle(Qt::DashLine);
    m_limit->setPen(pen);
    attach(m_scoreChart, m_limit, m_scoreX, m_scoreY);
}

void RunPlots::fitOverlay()
{
    // The radii of the good points and of those greyed (the scans as read);
    // the points removed count only towards everything.
    std::vector<const std::vector<QPointF> *> all = pointsOf(m_overlay.scans);
    const std::optional<PointExtent> curves = ExtentOf(all);
    all.push_back(&m_overlay.greyed);
    if (m_everything)
        all.push_back(&m_overlay.removed);
    std::optional<PointExtent> everything = ExtentOf(all);
    if (!everything) // nothing but removed points
        everything = ExtentOf({ &m_overlay.removed });
    if (!everything) {
        m_overlayX->setRange(0.0, 1.0);
        m_overlayY->setRange(0.0, 1.0);
        return;
    }
    const ValueRange x = Padded(everything->x, RadiusMargin, 0.05);
    ValueRange y = everything->y;
    if (!m_everything) {
        if (const std::optional<ValueRange> checked = ReadingExtent(windowsOf(m_overlay.scans)))
            y = *checked;
        else if (curves)
            y = curves->y;
    }
    y = readingEnds(y);
    m_overlayX->setRange(x.from, x.to);
    m_overlayY->setRange(y.from, y.to);
}

void RunPlots::fitDifferences()
{
    std::optional<ValueRange> y;
    if (!m_everything)
        y = ReadingExtent(windowsOf(m_overlay.differences));
    if (!y) {
        if (const std::optional<PointExtent> all = ExtentOf(pointsOf(m_overlay.differences)))
            y = all->y;
    }
    const ValueRange ends = y ? readingEnds(*y) : ValueRange { -1.0, 1.0 };
    m_differenceY->setRange(ends.from, ends.to);
}

void RunPlots::fitScores()
{
    std::optional<ValueRange> hours;
    double top = ScoreLimit;
    for (const ScoreCurve &curve : m_overlay.scores) {
        for (const QPointF &p : curve.points) {
            hours = hours ? ValueRange { std::min(hours->from, p.x()), std::max(hours->to, p.x()) }
                          : ValueRange { p.x(), p.x() };
            top = std::max(top, p.y());
        }
    }
    if (!hours)
        hours = ValueRange { m_overlay.firstHours, m_overlay.lastHours };
    const ValueRange x = Padded(*hours, TimeMargin, 0.5);
    m_limit->replace({ QPointF(x.from, ScoreLimit), QPointF(x.to, ScoreLimit) });
    m_scoreX->setRange(x.from, x.to);
    m_scoreY->setRange(0.0, top * 1.08);
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
    for (QChart *chart : { m_overlayChart, m_differenceChart, m_scoreChart })
        chart->zoomReset();
    fitOverlay();
    fitDifferences();
    fitScores();
    syncRadius(m_overlayX->min(), m_overlayX->max());
}

void RunPlots::setShowEverything(bool everything)
{
    m_everything = everything;
    resetZoom();
}

std::pair<double, double> RunPlots::radiusRange() const
{
    return { m_overlayX->min(), m_overlayX->max() };
}

std::pair<double, double> RunPlots::readingRange() const
{
    return { m_overlayY->min(), m_overlayY->max() };
}

std::pair<double, double> RunPlots::differenceRange() const
{
    return { m_differenceY->min(), m_differenceY->max() };
}

std::pair<double, double> RunPlots::timeRange() const
{
    return { m_scoreX->min(), m_scoreX->max() };
}

QString RunPlots::overlayNote() const
{
    return m_overlayNote->isVisible() ? m_overlayNote->text() : QString();
}

QString RunPlots::differenceNote() const
{
    return m_differenceNote->isVisible() ? m_differenceNote->text() : QString();
}

QString RunPlots::scoreNote() const
{
    return m_scoreNote->isVisible() ? m_scoreNote->text() : QString();
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

void RunPlots::scheduleAlignment()
{
    // Once, after the labels and sizes of this turn of the event loop.
    if (m_alignmentDue)
        return;
    m_alignmentDue = true;
    QMetaObject::invokeMethod(this, &RunPlots::alignPlotAreas, Qt::QueuedConnection);
}

void RunPlots::alignPlotAreas()
{
    m_alignmentDue = false;
    if (m_aligning)
        return;
    m_aligning = true;
    // Each chart lays itself out with the plain margins first; then the one
    // whose plot area starts further left (or ends further right) is given
    // that much more margin, so that its axes are laid out round the same
    // span. (A fixed plot area would leave Qt Charts' axes where they were.)
    const auto layOut = [](QChart *chart, const QMargins &margins) {
        chart->setMargins(margins);
        chart->layout()->invalidate();
        chart->layout()->activate();
    };
    const auto span = [this](QChartView *view) {
        const QRectF area = view->chart()->plotArea();
        const auto x = [this, view](const QPointF &p) {
            return view->viewport()
                ->mapTo(this, view->mapFromScene(view->chart()->mapToScene(p)))
                .x();
        };
        return std::make_pair(x(area.topLeft()), x(area.topRight()));
    };
    const bool both = m_lower->currentIndex() == 0 && m_overlayView->isVisible()
        && m_differenceView->isVisible();
    // Aligned as they stand, at the width they were aligned for: laying both
    // out twice again (the costly part of a dragged line) would change
    // nothing that shows.
    if (both && m_alignedWidth == width()) {
        for (QChart *chart : { m_overlayChart, m_differenceChart })
            chart->layout()->activate();
        if (span(m_overlayView) == span(m_differenceView)) {
            m_aligning = false;
            return;
        }
    }
    for (QChart *chart : { m_overlayChart, m_differenceChart })
        layOut(chart, ChartMargins);
    m_alignedWidth = -1;
    if (both) {
        const auto [topLeft, topRight] = span(m_overlayView);
        const auto [bottomLeft, bottomRight] = span(m_differenceView);
        const int left = std::max(topLeft, bottomLeft);
        const int right = std::min(topRight, bottomRight);
        if (right > left) {
            layOut(m_overlayChart, ChartMargins + QMargins(left - topLeft, 0, topRight - right, 0));
            layOut(m_differenceChart,
                ChartMargins + QMargins(left - bottomLeft, 0, bottomRight - right, 0));
            m_alignedWidth = width();
        }
    }
    m_aligning = false;
}

void RunPlots::placeNotes()
{
    const std::pair<QChart *, QGraphicsSimpleTextItem *> notes[] = {
        { m_overlayChart, m_overlayNote },
        { m_differenceChart, m_differenceNote },
        { m_scoreChart, m_scoreNote },
    };
    for (const auto &[chart, note] : notes) {
        note->setVisible(!note->text().isEmpty());
        const QPointF centre = chart->plotArea().center() - note->boundingRect().center();
        note->setPos(std::max(chart->plotArea().left(), centre.x()), centre.y());
    }
}

void RunPlots::hoverScan(int scan)
{
    QString text = QStringLiteral(" ");
    for (const OverlayCurve &curve : m_overlay.scans) {
        if (curve.scan == scan)
            text = curve.label;
    }
    m_overlayCurves->setHighlighted(scan);
    m_differenceCurves->setHighlighted(scan);
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
