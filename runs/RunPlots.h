// The run window's two plots, drawn by Qt Charts: the chosen scans overlaid
// and coloured by elapsed time with a colour scale, and below them each scan
// minus the last scan of its group. A rubber band zooms (both plots share
// the radius axis), the right button zooms out, and the pointer over a curve
// names its scan.
#pragma once

#include "runs/Overlay.h"

#include <QWidget>

#include <vector>

class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QPainter;
class QValueAxis;

class RunPlots : public QWidget
{
    Q_OBJECT

public:
    explicit RunPlots(QWidget *parent = nullptr);

    void setOverlay(const Overlay &overlay);
    const Overlay &overlay() const { return m_overlay; }

    QChartView *overlayView() const { return m_overlayView; }
    QChartView *differenceView() const { return m_differenceView; }
    // The line that names the scan under the pointer.
    QLabel *hoverLabel() const { return m_hover; }

    // Both plots back to the extent of their curves.
    void resetZoom();
    // Zooms both plots to radii [from, to].
    void zoomToRadii(double from, double to);
    // The radius axis' range as shown.
    std::pair<double, double> radiusRange() const;

    // The scan under the pointer changed: its index, or -1.
    void hoverScan(int scan);

    // Both plots, the overlay above the differences, drawn into `target` on
    // any painter (an image, an SVG or PDF file); `picture` is their size on
    // screen.
    void render(QPainter &painter, const QRectF &target);
    QSize pictureSize() const;

private:
    void fill(QChart *chart, QValueAxis *x, QValueAxis *y, const std::vector<OverlayCurve> &curves,
        std::vector<QLineSeries *> &series, bool colourScale);
    void syncRadius(qreal from, qreal to);

    Overlay m_overlay;
    QChartView *m_overlayView = nullptr;
    QChartView *m_differenceView = nullptr;
    QChart *m_overlayChart = nullptr;
    QChart *m_differenceChart = nullptr;
    QValueAxis *m_overlayX = nullptr;
    QValueAxis *m_overlayY = nullptr;
    QValueAxis *m_differenceX = nullptr;
    QValueAxis *m_differenceY = nullptr;
    std::vector<QLineSeries *> m_overlaySeries;
    std::vector<QLineSeries *> m_differenceSeries;
    QLabel *m_hover = nullptr;
    bool m_syncing = false;
};
