// What the run window plots for the chosen scans, without widgets: each
// scan's good points coloured by its elapsed time, and below them each scan
// minus the last scan of its group.
#pragma once

#include "runs/RunAnalysis.h"

#include <QColor>
#include <QPointF>
#include <QString>

#include <optional>
#include <vector>

struct OverlayCurve {
    int scan = -1; // index into Run::scans
    QString label; // names the scan in the hover, e.g. "00012.RA1  (12.3 h)"
    std::optional<double> hours; // elapsed time; nothing without a header
    QColor colour;
    std::vector<QPointF> points; // radius (cm), value
};

struct Overlay {
    std::vector<OverlayCurve> scans;
    std::vector<OverlayCurve> differences; // for scans with a group, but its last
    double firstHours = 0.0; // the colour scale's ends
    double lastHours = 0.0;
};

// The colour of a time at `fraction` (0 first, 1 last) of the scale: dark
// blue through green to yellow, distinguishable in grey too.
QColor TimeColour(double fraction);
// Scans without an elapsed time.
QColor NoTimeColour();

// The scans' curves in the order given.
Overlay BuildOverlay(const Run &run, const RunAnalysis &analysis, const std::vector<int> &chosen);

// "12.3 h" (one decimal).
QString HoursText(double hours);
