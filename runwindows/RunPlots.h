// SPDX-License-Identifier: GPL-3.0-or-later
// The run window's plots, drawn by Qt Charts: the chosen scans overlaid and
// coloured by elapsed time with a colour scale, their points that are not
// good apart (greyed: above the ceiling or not measured; light: removed);
// below them, on two tabs, each scan minus the last scan of its group
// (offsets removed or not), and the scores of the equilibrium check against
// elapsed time with the limit of 2.0. The reading axes hold the readings
// within the range of each scan's check, so a meniscus spike does not flatten
// the gradient; Show Everything fits every point. The overlay's and the
// differences' plot areas share their left and right edges, so one radius
// lies above the same radius. A drag zooms (the two share the radius axis),
// the right button zooms out, a drag with Shift held sets the range of the
// checks, and the pointer over a curve names its scan. A plot with nothing
// to show says why.
#pragma once

#include "runwindows/Overlay.h"

#include <QWidget>

#include <optional>
#include <vector>

class QChart;
class QChartView;
class QCheckBox;
class QColorAxis;
class QGraphicsSimpleTextItem;
class QLabel;
class QLineSeries;
class QPainter;
class CurvesItem;
class QTabWidget;
class RangeChartView;
class TidyAxis;

class RunPlots : public QWidget
{
    Q_OBJECT

public:
    explicit RunPlots(QWidget *parent = nullptr);

    void setOverlay(const Overlay &overlay);
    // The same scans checked again (their column moved): the overlay keeps
    // its axes and zoom, so the plot stays still under a dragged line, and
    // the differences, the scores and the notes are new.
    void setChecks(const Overlay &overlay);
    const Overlay &overlay() const { return m_overlay; }

    RangeChartView *overlayView() const { return m_overlayView; }
    QChartView *differenceView() const { return m_differenceView; }
    QChartView *scoreView() const { return m_scoreView; }
    QTabWidget *lowerTabs() const { return m_lower; }
    // "Remove each scan's offset" for the differences.
    QCheckBox *offsetBox() const { return m_offsets; }
    // The line that names the scan under the pointer.
    QLabel *hoverLabel() const { return m_hover; }

    // What draws the curves of the overlay and of the differences.
    CurvesItem *overlayCurves() const { return m_overlayCurves; }
    CurvesItem *differenceCurves() const { return m_differenceCurves; }

    // What an empty plot says; empty while it shows something.
    QString overlayNote() const;
    QString differenceNote() const;
    QString scoreNote() const;

    // Both radius plots back to the extent of their curves.
    void resetZoom();
    // The axes fitted to every point plotted, spikes and points that are
    // not good included; else the reading axes to the readings checked.
    void setShowEverything(bool everything);
    bool showsEverything() const { return m_everything; }
    // The radius axis' range as shown, and the reading axes'.
    std::pair<double, double> radiusRange() const;
    std::pair<double, double> readingRange() const;
    std::pair<double, double> differenceRange() const;
    std::pair<double, double> timeRange() const;
    // The range of the checks, shown as a band on the overlay.
    void setCheckRange(std::optional<double> from, std::optional<double> to);

    // The scan under the pointer changed: its index, or -1.
    void hoverScan(int scan);

    // The overlay above the lower plot shown, drawn into `target` on any
    // painter (an image, an SVG or PDF file).
    void render(QPainter &painter, const QRectF &target);
    QSize pictureSize() const;

signals:
    void rangeChosen(double from, double to);
    void offsetsToggled(bool removed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillColourScale();
    void fitColourScale();
    void fillScores();
    void fitOverlay();
    void fitDifferences();
    void fitScores();
    void syncRadius(qreal from, qreal to);
    void scheduleAlignment();
    void alignPlotAreas();
    void placeNotes();
    QChartView *lowerView() const;

    Overlay m_overlay;
    RangeChartView *m_overlayView = nullptr;
    QChartView *m_differenceView = nullptr;
    QChartView *m_scoreView = nullptr;
    QTabWidget *m_lower = nullptr;
    QCheckBox *m_offsets = nullptr;
    QChart *m_overlayChart = nullptr;
    QChart *m_differenceChart = nullptr;
    QChart *m_scoreChart = nullptr;
    TidyAxis *m_overlayX = nullptr;
    TidyAxis *m_overlayY = nullptr;
    TidyAxis *m_differenceX = nullptr;
    TidyAxis *m_differenceY = nullptr;
    TidyAxis *m_scoreX = nullptr;
    TidyAxis *m_scoreY = nullptr;
    CurvesItem *m_overlayCurves = nullptr;
    CurvesItem *m_differenceCurves = nullptr;
    // Empty series that tie each chart's axes to a domain, so that zooming
    // and the maps of Qt Charts work.
    QLineSeries *m_overlayAnchor = nullptr;
    QLineSeries *m_differenceAnchor = nullptr;
    QLineSeries *m_limit = nullptr;
    int m_alignedWidth = -1; // the width the plot areas were last aligned at
    std::vector<QLineSeries *> m_scoreLines; // one per score curve, in order
    QColorAxis *m_colourScale = nullptr;
    QGraphicsSimpleTextItem *m_overlayNote = nullptr;
    QGraphicsSimpleTextItem *m_differenceNote = nullptr;
    QGraphicsSimpleTextItem *m_scoreNote = nullptr;
    QLabel *m_hover = nullptr;
    bool m_everything = false;
    bool m_syncing = false;
    bool m_aligning = false;
    bool m_alignmentDue = false;
};
