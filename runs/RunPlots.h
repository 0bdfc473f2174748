// SPDX-License-Identifier: GPL-3.0-or-later
// The run window's plots, drawn by Qt Charts: the chosen scans overlaid and
// coloured by elapsed time with a colour scale; below them, on two tabs,
// each scan minus the last scan of its group (offsets removed or not), and
// the scores of the equilibrium check against elapsed time with the limit
// of 2.0. A drag zooms (the overlay and the differences share the radius
// axis), the right button zooms out, a drag with Shift held sets the range
// of the checks, and the pointer over a curve names its scan.
#pragma once

#include "runs/Overlay.h"

#include <QWidget>

#include <optional>
#include <vector>

class QChart;
class QChartView;
class QCheckBox;
class QLabel;
class QLineSeries;
class QPainter;
class QTabWidget;
class QValueAxis;
class RangeChartView;

class RunPlots : public QWidget
{
    Q_OBJECT

public:
    explicit RunPlots(QWidget *parent = nullptr);

    void setOverlay(const Overlay &overlay);
    const Overlay &overlay() const { return m_overlay; }

    RangeChartView *overlayView() const { return m_overlayView; }
    QChartView *differenceView() const { return m_differenceView; }
    QChartView *scoreView() const { return m_scoreView; }
    QTabWidget *lowerTabs() const { return m_lower; }
    // "Remove each scan's offset" for the differences.
    QCheckBox *offsetBox() const { return m_offsets; }
    // The line that names the scan under the pointer.
    QLabel *hoverLabel() const { return m_hover; }

    // Both radius plots back to the extent of their curves.
    void resetZoom();
    // The radius axis' range as shown.
    std::pair<double, double> radiusRange() const;
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

private:
    void fill(QChart *chart, QValueAxis *x, QValueAxis *y, const std::vector<OverlayCurve> &curves,
        std::vector<QLineSeries *> &series, bool colourScale);
    void fillScores();
    void syncRadius(qreal from, qreal to);
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
    QValueAxis *m_overlayX = nullptr;
    QValueAxis *m_overlayY = nullptr;
    QValueAxis *m_differenceX = nullptr;
    QValueAxis *m_differenceY = nullptr;
    QValueAxis *m_scoreX = nullptr;
    QValueAxis *m_scoreY = nullptr;
    std::vector<QLineSeries *> m_overlaySeries;
    std::vector<QLineSeries *> m_differenceSeries;
    QLabel *m_hover = nullptr;
    bool m_syncing = false;
};
