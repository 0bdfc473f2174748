// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/RunPlots.h"
#include "runs/GoodPoints.h"
#include "runwindows/AxisTicks.h"
#include "runwindows/ChartMap.h"
#include "runwindows/CurvesItem.h"
#include "runwindows/LnCDialog.h"
#include "runwindows/PlotExtent.h"
#include "runwindows/RangeChartView.h"
#include "runwindows/RunWindow.h"
#include "runwindows/TidyAxis.h"
#include "support/RunEditRig.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace
{

// A started program with a generated run, on a screen of the given size.
struct PlotRig : Harness {
    explicit PlotRig(RunPlan runPlan, QSize screen = QSize(1280, 1024))
        : Harness(NumLib::defaultCandidates(), screen)
        , plan(std::move(runPlan))
    {
        WriteRun(GenerateRun(plan), root);
    }
    RunWindow *open()
    {
        platform.runPathAnswers.push_back(QStringList { root });
        window->openRunAction()->trigger();
        RunWindow *w = window->runWindows().empty() ? nullptr : window->runWindows().back();
        settle();
        return w;
    }
    // The plots line up after the layouts of this turn of the event loop.
    static void settle()
    {
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();
    }
    RunPlan plan;
    QString root = folder.path(QStringLiteral("run"));
};

// One cell at one wavelength, its scans with the menisci of real scans.
RunPlan realMenisciPlan()
{
    RunPlan plan;
    plan.cells = { 1 };
    plan.speeds = { { 16000, 6, 12.0 }, { 24000, 6, 10.0 } };
    plan.wavelengths = { 280 };
    plan.innerSpike = -2.0;
    plan.outerSpike = 2.0;
    return plan;
}

// Every text item the view's scene shows: tick labels, titles, notes.
QStringList sceneTexts(QChartView *view)
{
    QStringList texts;
    for (QGraphicsItem *item : view->scene()->items()) {
        if (!item->isVisible())
            continue;
        if (const auto *text = dynamic_cast<QGraphicsTextItem *>(item))
            texts << text->toPlainText();
        else if (const auto *simple = dynamic_cast<QGraphicsSimpleTextItem *>(item))
            texts << simple->text();
    }
    return texts;
}

// The x in the plots' coordinates of the visible label `text` in a view.
std::optional<double> labelX(RunPlots &plots, QChartView *view, const QString &text)
{
    for (QGraphicsItem *item : view->scene()->items()) {
        const auto *label = dynamic_cast<QGraphicsTextItem *>(item);
        if (!label || !label->isVisible() || label->toPlainText() != text)
            continue;
        const QPointF centre = label->mapToScene(label->boundingRect().center());
        return view->viewport()->mapTo(&plots, view->mapFromScene(centre)).x();
    }
    return std::nullopt;
}

// The left and right edges of a chart's plot area in the plots' coordinates.
std::pair<int, int> edges(RunPlots &plots, QChartView *view)
{
    const QRectF area = view->chart()->plotArea();
    const auto at = [&](QPointF p) {
        return view->viewport()
            ->mapTo(&plots, view->mapFromScene(view->chart()->mapToScene(p)))
            .x();
    };
    return { at(area.topLeft()), at(area.topRight()) };
}

// The pixel of a value of a curves item's chart in its view's viewport.
QPoint viewPixel(QChartView *view, CurvesItem *curves, const QPointF &value)
{
    return view->mapFromScene(view->chart()->mapToScene(curves->map().toPixel(value)));
}

// Good readings of the plotted scans within their checks' ranges, but the
// generator's meniscus spikes (6.788-6.80 cm, inside the meniscus).
ValueRange checkedReadings(const Overlay &overlay)
{
    ValueRange range { 1e9, -1e9 };
    for (const OverlayCurve &curve : overlay.scans) {
        for (const QPointF &p : curve.points) {
            if (p.x() >= curve.from && p.x() <= curve.to && (p.x() < 6.7879 || p.x() > 6.8001)) {
                range.from = std::min(range.from, p.y());
                range.to = std::max(range.to, p.y());
            }
        }
    }
    return range;
}

} // namespace

TEST(AxisTicks, TidyStepsExactValuesAndLabelsWithoutANegativeZero)
{
    const struct {
        const char *name;
        double from, to;
        int most;
        double step;
        QStringList texts;
    } rows[] = {
        { "tenths", 0.0, 1.0, 6, 0.2, { "0.0", "0.2", "0.4", "0.6", "0.8", "1.0" } },
        { "quarters", 0.0, 1.0, 5, 0.25, { "0.00", "0.25", "0.50", "0.75", "1.00" } },
        { "halves", 0.0, 1.0, 4, 0.5, { "0.0", "0.5", "1.0" } },
        { "zero in the middle", -0.3, 0.3, 7, 0.1,
            { "-0.3", "-0.2", "-0.1", "0.0", "0.1", "0.2", "0.3" } },
        { "a radius axis", 6.587, 7.213, 7, 0.1,
            { "6.6", "6.7", "6.8", "6.9", "7.0", "7.1", "7.2" } },
        { "hours", 132.0, 180.0, 6, 10.0, { "140", "150", "160", "170", "180" } },
        { "a hair below zero", -1e-17, 0.02, 3, 0.01, { "0.00", "0.01", "0.02" } },
        { "twenty-fives", 0.0, 100.0, 5, 25.0, { "0", "25", "50", "75", "100" } },
    };
    for (const auto &row : rows) {
        const AxisTicks ticks = TidyTicks(row.from, row.to, row.most);
        EXPECT_DOUBLE_EQ(ticks.step(), row.step) << row.name;
        QStringList texts;
        for (int i = 0; i < ticks.count; ++i)
            texts << ticks.text(i);
        EXPECT_EQ(texts, row.texts) << row.name;
    }
    // Each tick the double nearest its decimal: 3 x 0.05 would give 0.15000000000000002.
    const AxisTicks fives = TidyTicks(0.1, 0.35, 6);
    ASSERT_EQ(fives.count, 6);
    EXPECT_EQ(fives.value(1), 0.15);
    EXPECT_EQ(fives.value(4), 0.3);
    EXPECT_EQ(TidyTicks(1.0, 1.0, 5).count, 0) << "no length";
    EXPECT_EQ(TidyTicks(0.0, std::nan(""), 5).count, 0);

    EXPECT_EQ(TickText(-0.0001, 2), QStringLiteral("0.00"));
    EXPECT_EQ(TickText(-0.0, 0), QStringLiteral("0"));
    EXPECT_EQ(TickText(-0.006, 2), QStringLiteral("-0.01"));
}

TEST(AxisTicks, AsManyTicksAsLeaveEachLabelItsRoom)
{
    // Labels 7 pixels a character and 4 of padding each side; an axis of
    // n ticks gives each label its length / (n + 1), less the padding.
    const auto extent = [](const QString &text) { return 7.0 * double(text.size()); };
    // 400 px: 6 ticks of 0.2 ("0.0", 21 px) fit in 400 / 7 - 8 = 49 px.
    const AxisTicks wide = FittingTicks(0.0, 1.0, 400.0, extent, 4.0);
    EXPECT_EQ(wide.count, 6);
    EXPECT_DOUBLE_EQ(wide.step(), 0.2);
    // 200 px: 6 leave 20.6 px (too few), 5 quarters ("0.00", 28 px) 25.3;
    // 3 halves leave 42.
    const AxisTicks narrow = FittingTicks(0.0, 1.0, 200.0, extent, 4.0);
    EXPECT_EQ(narrow.count, 3);
    EXPECT_DOUBLE_EQ(narrow.step(), 0.5);
}

TEST(PlotExtent, TheReadingsCheckedWithoutTheSpikesAndWithTheSteepTop)
{
    // Air, the two meniscus spikes, then a gradient rising steeply to 1.4.
    std::vector<QPointF> scan;
    for (int i = 0; i <= 400; ++i) {
        const double x = 6.0 + 0.001 * i;
        const double noise = (i % 3 - 1) * 0.002;
        double c = noise;
        if (x >= 6.100 && x < 6.106)
            c = -2.0;
        else if (x >= 6.106 && x < 6.112)
            c = 2.0;
        else if (x >= 6.112)
            c = 0.1 + 1.3 * std::expm1(12.0 * (x - 6.112)) / std::expm1(12.0 * 0.288) + noise;
        scan.push_back({ x, c });
    }
    const double top = std::max_element(scan.begin(), scan.end(), [](QPointF a, QPointF b) {
        return a.x() <= 6.35 && (b.x() > 6.35 || a.y() < b.y());
    })->y();
    const struct {
        const char *name;
        double from, to;
        double low, high; // the extent's ends, give or take 0.005
    } rows[] = {
        { "spikes inside the window", 6.05, 6.35, -0.002, top },
        { "to the bottom", 6.05, 6.40, -0.002, 1.4 + 0.002 },
        { "the column alone", 6.2, 6.3, scan[200].y(), scan[300].y() },
    };
    for (const auto &row : rows) {
        const std::optional<ValueRange> extent = ReadingExtent({ { &scan, row.from, row.to } });
        ASSERT_TRUE(extent) << row.name;
        EXPECT_NEAR(extent->from, row.low, 0.005) << row.name;
        EXPECT_NEAR(extent->to, row.high, 0.005) << row.name;
    }
    // A difference: a spike at its very start, then flat, then falling
    // steeply at its end; it has no neighbours beyond either end.
    std::vector<QPointF> difference = { { 6.800, 1.2 }, { 6.801, -0.4 } };
    for (int i = 2; i <= 200; ++i) {
        const double x = 6.8 + 0.001 * i;
        difference.push_back(
            { x, (i % 3 - 1) * 0.002 - (x > 6.97 ? 0.35 * (x - 6.97) / 0.03 : 0.0) });
    }
    const std::optional<ValueRange> ends = ReadingExtent({ { &difference, 6.8, 7.0 } });
    ASSERT_TRUE(ends);
    EXPECT_NEAR(ends->from, difference.back().y(), 0.005) << "the steep end";
    EXPECT_NEAR(ends->to, 0.002, 0.005) << "not the spike";

    // A window that holds fewer than two points gives all of them.
    const std::vector<QPointF> few = { { 6.9, 0.3 }, { 6.91, 0.5 }, { 6.92, 0.4 } };
    const std::optional<ValueRange> all = ReadingExtent({ { &few, 7.0, 7.1 } });
    ASSERT_TRUE(all);
    EXPECT_EQ(all->from, 0.3);
    EXPECT_EQ(all->to, 0.5);
    EXPECT_FALSE(ReadingExtent({}));
}

TEST(ChartMap, ValuesToPixelsAndBack)
{
    // 200 x 100 pixels from (10, 20) show x 6..7 and y 0..2.
    const ChartMap map(QRectF(10, 20, 200, 100), 6.0, 7.0, 0.0, 2.0);
    ASSERT_TRUE(map.isValid());
    EXPECT_EQ(map.toPixel({ 6.0, 0.0 }), QPointF(10, 120));
    EXPECT_EQ(map.toPixel({ 6.5, 1.0 }), QPointF(110, 70));
    EXPECT_EQ(map.toPixel({ 7.0, 2.0 }), QPointF(210, 20));
    EXPECT_EQ(map.toValue({ 110, 70 }), QPointF(6.5, 1.0));
    EXPECT_FALSE(ChartMap(QRectF(10, 20, 200, 100), 6.0, 6.0, 0.0, 2.0).isValid());
}

TEST(RunPlots, TheAxesHoldTheReadingsCheckedAndShowEverythingHoldsEveryPoint)
{
    PlotRig h(realMenisciPlan());
    RunWindow *w = h.open();
    ASSERT_NE(w, nullptr);
    RunPlots &plots = *w->plots();
    const Overlay &overlay = plots.overlay();
    ASSERT_EQ(overlay.scans.size(), 6u);

    // The readings within the checks' ranges, the steep top included; the
    // spikes (-2, +2) and the saturated base (4.0) off the axis.
    const ValueRange checked = checkedReadings(overlay);
    const auto [low, high] = plots.readingRange();
    EXPECT_LE(low, checked.from);
    EXPECT_GE(high, checked.to);
    EXPECT_GT(low, -0.3);
    EXPECT_LT(high, checked.to + 0.2 * (checked.to - checked.from));
    // The differences likewise: their shape (up to about 0.6 in the first
    // scans, far from equilibrium), not the menisci's misfit (about 4).
    EXPECT_LT(plots.differenceRange().second, 1.0);
    EXPECT_GT(plots.differenceRange().first, -1.0);
    // The radii of the scans with a small margin, not widened to whole ticks.
    double first = 1e9, last = -1e9;
    for (const Scan &scan : w->run().scans) {
        first = std::min(first, double(scan.x(0)));
        last = std::max(last, double(scan.x(scan.numPoints - 1)));
    }
    const auto [from, to] = plots.radiusRange();
    EXPECT_LT(from, first);
    EXPECT_GT(from, first - 0.03 * (last - first));
    EXPECT_GT(to, last);
    EXPECT_LT(to, last + 0.03 * (last - first));

    // The scores of the later speed over their own hours, not from 0.
    w->chooseGroup(1);
    double earliest = 1e9, latest = -1e9;
    for (const ScoreCurve &curve : plots.overlay().scores) {
        for (const QPointF &p : curve.points) {
            earliest = std::min(earliest, p.x());
            latest = std::max(latest, p.x());
        }
    }
    ASSERT_GT(earliest, 10.0);
    const auto [start, end] = plots.timeRange();
    EXPECT_LT(start, earliest);
    EXPECT_GT(start, earliest - 0.1 * (latest - earliest));
    EXPECT_GT(end, latest);

    // View > Show Everything, after the entries there were: every point,
    // and Reset Zoom keeps to it.
    QAction *everything = w->showEverythingAction();
    ASSERT_TRUE(everything->isCheckable());
    const QList<QAction *> view = w->menuBar()->actions().last()->menu()->actions();
    EXPECT_EQ(view.last(), everything);
    EXPECT_EQ(everything->text(), QStringLiteral("Show &Everything"));
    everything->trigger();
    const auto showAll = [&plots] {
        const auto [bottom, top] = plots.readingRange();
        EXPECT_LE(bottom, -2.0);
        EXPECT_GE(top, 4.0) << "the saturated rows, greyed";
    };
    showAll();
    w->resetZoomAction()->trigger();
    showAll();
    everything->trigger();
    EXPECT_LT(plots.readingRange().second, 2.0);
}

TEST(RunPlots, AnEmptyPlotSaysWhyAndTheOverlayKeepsItsRadii)
{
    const auto radiiShown = [](RunPlots &plots, double from, double to) {
        const auto [left, right] = plots.radiusRange();
        EXPECT_GE(left, from - 0.05);
        EXPECT_LE(left, from);
        EXPECT_GE(right, to);
        EXPECT_LE(right, to + 0.05);
    };
    {
        // A setting of a single scan.
        RunPlan plan;
        plan.cells = { 1 };
        plan.speeds = { { 16000, 1, 12.0 }, { 24000, 1, 10.0 } };
        plan.wavelengths = { 280 };
        PlotRig h(plan);
        RunWindow *w = h.open();
        ASSERT_NE(w, nullptr);
        ASSERT_EQ(w->chosen().size(), 1u);
        RunPlots &plots = *w->plots();
        EXPECT_EQ(plots.differenceNote(),
            QStringLiteral("One scan: no other scan to compare with the last"));
        EXPECT_FALSE(plots.scoreNote().isEmpty());
        EXPECT_TRUE(plots.overlayNote().isEmpty());
        const Scan &scan = w->run().scans[size_t(w->chosen().front())];
        radiiShown(plots, scan.x(0), scan.x(scan.numPoints - 1));
        EXPECT_TRUE(sceneTexts(plots.differenceView()).contains(plots.differenceNote()));
    }
    {
        // Scans that a range left with a few points.
        RunPlan plan;
        plan.cells = { 1 };
        plan.speeds = { { 16000, 6, 12.0 } };
        plan.wavelengths = { 280 };
        RunEditRig h(plan);
        RunWindow *w = h.openRun();
        ASSERT_NE(w, nullptr);
        h.applyRange(*w, QStringLiteral("6.900"), QStringLiteral("6.906"));
        PlotRig::settle();
        RunPlots &plots = *w->plots();
        ASSERT_EQ(plots.overlay().scans.size(), 6u);
        for (const OverlayCurve &curve : plots.overlay().scans)
            EXPECT_LE(curve.points.size(), 8u);
        EXPECT_EQ(plots.differenceNote(), QStringLiteral("Too few points left to compare"));
        radiiShown(plots, 6.9, 6.906);
        const ValueRange readings = checkedReadings(plots.overlay());
        EXPECT_LE(plots.readingRange().first, readings.from);
        EXPECT_GE(plots.readingRange().second, readings.to);
    }
}

TEST(RunPlots, LinesBreakAtPointsThatAreNotGoodAndThoseAreDrawnApart)
{
    RunPlan plan;
    plan.cells = { 1 };
    plan.speeds = { { 16000, 4, 12.0 } };
    plan.wavelengths = { 280 };
    PlotRig h(plan);
    RunWindow *w = h.open();
    ASSERT_NE(w, nullptr);
    const Overlay &overlay = w->plots()->overlay();
    ASSERT_EQ(overlay.scans.size(), 4u);
    size_t greyed = 0;
    for (const OverlayCurve &curve : overlay.scans) {
        const Scan &scan = w->run().scans[size_t(curve.scan)];
        const std::vector<PointStanding> standings = PointStandings(scan, 1.5);
        // No point that is not good lies between two points of one stretch.
        for (const auto &[begin, end] : Stretches(curve)) {
            for (size_t i = 0; i < standings.size(); ++i) {
                if (standings[i] == PointStanding::Good)
                    continue;
                const double x = scan.x(int(i));
                EXPECT_FALSE(x > curve.points[begin].x() && x < curve.points[end - 1].x())
                    << scan.name.toStdString() << " point " << i;
            }
        }
        EXPECT_GE(curve.breaks.size(), 1u) << "the place-holder rows in the column";
        greyed += size_t(std::count_if(standings.begin(), standings.end(), [](PointStanding s) {
            return s == PointStanding::PlaceHolder || s == PointStanding::AboveCeiling;
        }));
    }
    EXPECT_EQ(overlay.greyed.size(), greyed) << "each above the ceiling or not measured";
    EXPECT_TRUE(std::any_of(overlay.greyed.begin(), overlay.greyed.end(),
        [](const QPointF &p) { return p.y() == 4.0; }));

    // One scan with a stretch of its column removed in the editor: no line
    // across the gap, and the removed points apart.
    const int index = w->analysis().groups.groups.front().scans.back();
    const Scan &scan = w->run().scans[size_t(index)];
    std::vector<float> handed, flags;
    for (int i = 0; i < scan.numPoints; ++i) {
        const bool gap = scan.x(i) > 6.92f && scan.x(i) < 7.00f;
        handed.push_back(scan.flag(i));
        flags.push_back(gap ? -std::fabs(scan.flag(i)) : scan.flag(i));
    }
    ASSERT_TRUE(w->takeEditorFlags(scan.id, handed, flags));
    w->choose({ index });
    PlotRig::settle();
    RunPlots &plots = *w->plots();
    ASSERT_EQ(plots.overlay().scans.size(), 1u);
    EXPECT_FALSE(plots.overlay().removed.empty());
    const QImage image = plots.overlayView()->grab().toImage();
    const QColor colour = plots.overlay().scans.front().colour;
    const auto near = [](QColor a, QColor b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green())
            + std::abs(a.blue() - b.blue())
            < 60;
    };
    CurvesItem *curves = plots.overlayCurves();
    const int x = viewPixel(plots.overlayView(), curves, { 6.96, 0.0 }).x();
    const QRectF area = plots.overlayView()->chart()->plotArea();
    const int top
        = viewPixel(plots.overlayView(), curves, { 6.96, plots.readingRange().second }).y();
    const int bottom
        = viewPixel(plots.overlayView(), curves, { 6.96, plots.readingRange().first }).y();
    ASSERT_GT(bottom - top, 50) << area.height();
    int line = 0, dots = 0;
    for (int y = top; y <= bottom; ++y) {
        line += near(image.pixelColor(x, y), colour) ? 1 : 0;
        for (int dx = -4; dx <= 4; ++dx)
            dots += near(image.pixelColor(x + dx, y), QColor(215, 160, 160)) ? 1 : 0;
    }
    EXPECT_EQ(line, 0) << "no line across the removed points";
    EXPECT_GT(dots, 0) << "the removed points drawn apart";

    // The pointer on the curve names its scan; off it, none.
    const OverlayCurve &shown = plots.overlay().scans.front();
    const QPointF on = curves->map().toPixel(shown.points[shown.points.size() / 3]);
    EXPECT_EQ(curves->scanAt(on + QPointF(0.0, 2.0)), index);
    EXPECT_EQ(curves->scanAt(on + QPointF(0.0, 40.0)), -1);
    plots.hoverScan(curves->scanAt(on));
    EXPECT_TRUE(plots.hoverLabel()->text().startsWith(scan.name));
}

TEST(RunPlots, TheOverlayAndTheDifferencesShareTheirPlotAreasEdges)
{
    for (const QSize screen : { QSize(1280, 1024), QSize(640, 480) }) {
        RunPlan plan = realMenisciPlan();
        plan.offsetSpread = 0.3; // differences of other sizes: labels of other widths
        PlotRig h(plan, screen);
        RunWindow *w = h.open();
        ASSERT_NE(w, nullptr);
        RunPlots &plots = *w->plots();
        ASSERT_EQ(plots.lowerTabs()->currentIndex(), 0);
        const auto top = edges(plots, plots.overlayView());
        const auto bottom = edges(plots, plots.differenceView());
        EXPECT_NEAR(top.first, bottom.first, 1) << screen.width();
        EXPECT_NEAR(top.second, bottom.second, 1) << screen.width() << ": the colour scale";
        // One radius above the same radius.
        const AxisTicks &ticks = static_cast<const TidyAxis *>(
            plots.overlayView()->chart()->axes(Qt::Horizontal).front())
                                     ->ticks();
        ASSERT_GE(ticks.count, 2);
        const QString radius = ticks.text(1);
        const std::optional<double> above = labelX(plots, plots.overlayView(), radius);
        const std::optional<double> below = labelX(plots, plots.differenceView(), radius);
        ASSERT_TRUE(above && below) << radius.toStdString();
        EXPECT_NEAR(*above, *below, 1.5) << radius.toStdString();
        // And again after the window changes its size.
        w->resize(w->width() * 3 / 4, w->height());
        PlotRig::settle();
        EXPECT_NEAR(edges(plots, plots.overlayView()).second,
            edges(plots, plots.differenceView()).second, 1);
    }
}

TEST(RunPlots, TickLabelsShowWholeNumbersAndNeverANegativeZero)
{
    const QRegularExpression negativeZero(QStringLiteral("^-0(\\.0*)?$"));
    const auto check = [&negativeZero](QChartView *view, const char *where) {
        const QStringList texts = sceneTexts(view);
        EXPECT_GE(texts.size(), 4) << where;
        for (const QString &text : texts) {
            EXPECT_FALSE(text.contains(QStringLiteral("...")))
                << where << ": " << text.toStdString();
            EXPECT_FALSE(negativeZero.match(text).hasMatch())
                << where << ": " << text.toStdString();
        }
    };
    for (const QSize screen : { QSize(1280, 1024), QSize(640, 480) }) {
        PlotRig h(realMenisciPlan(), screen);
        RunWindow *w = h.open();
        ASSERT_NE(w, nullptr);
        const std::string size = std::to_string(screen.width());
        RunPlots &plots = *w->plots();
        check(plots.overlayView(), ("overlay " + size).c_str());
        check(plots.differenceView(), ("differences " + size).c_str());
        plots.lowerTabs()->setCurrentIndex(1);
        PlotRig::settle();
        check(plots.scoreView(), ("scores " + size).c_str());

        // The ln c window of a scan, at its own size for this screen.
        w->table()->setCurrentIndex(w->table()->model()->index(0, 0));
        bool shown = false;
        h.platform.modalActions.push_back([&](QDialog &dialog) {
            auto &lnc = static_cast<LnCDialog &>(dialog);
            PlotRig::settle();
            for (QChartView *view : { lnc.lncView(), lnc.residualView(), lnc.massView() })
                check(view, ("ln c " + size + " " + view->objectName().toStdString()).c_str());
            shown = true;
            dialog.accept();
        });
        w->lnCAction()->trigger();
        EXPECT_TRUE(shown);
    }
}

TEST(RunPlots, TheRangeBandSaysItIsTheRangeOfEverySetting)
{
    PlotRig h(realMenisciPlan());
    RunWindow *w = h.open();
    ASSERT_NE(w, nullptr);
    RangeChartView *view = w->plots()->overlayView();
    EXPECT_TRUE(view->bandCaption().isEmpty()) << "no band";
    EXPECT_TRUE(view->toolTip().contains(QStringLiteral("every setting")));
    CurvesItem *curves = w->plots()->overlayCurves();
    const double middle
        = (w->plots()->readingRange().first + w->plots()->readingRange().second) / 2;
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::ShiftModifier,
        viewPixel(view, curves, { 6.85, middle }));
    QTest::mouseMove(view->viewport(), viewPixel(view, curves, { 6.95, middle }));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::ShiftModifier,
        viewPixel(view, curves, { 7.0, middle }));
    ASSERT_TRUE(w->analysis().options.from);
    PlotRig::settle();
    EXPECT_EQ(view->bandCaption(), QStringLiteral("Range of every setting's check"));
    const QRect caption = view->captionRect().toRect();
    ASSERT_TRUE(view->viewport()->rect().contains(caption));
    // The caption is drawn: text of the band's colour inside its rectangle.
    const QImage image = view->grab().toImage();
    int inked = 0;
    for (int y = caption.top(); y <= caption.bottom(); ++y)
        for (int x = caption.left(); x <= caption.right(); ++x)
            inked += image.pixelColor(view->viewport()->mapTo(view, QPoint(x, y))).blue() > 150
                    && image.pixelColor(view->viewport()->mapTo(view, QPoint(x, y))).red() < 100
                ? 1
                : 0;
    EXPECT_GT(inked, 20);
    w->clearRangeAction()->trigger();
    EXPECT_TRUE(view->bandCaption().isEmpty());
}
