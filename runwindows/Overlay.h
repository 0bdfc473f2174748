// SPDX-License-Identifier: GPL-3.0-or-later
// What the run window plots for the chosen scans, without widgets: each
// scan's good points coloured by its elapsed time, broken where points that
// are not good lie between them, the points that are not good apart, and
// below them each scan minus the last scan of its group; and, for a plot
// left empty, why.
#pragma once

#include "runs/RunAnalysis.h"
#include "runs/Verdict.h"

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
    // Where the line breaks: each index into `points` that starts a new
    // stretch, a point that is not good lying between it and the one before.
    std::vector<size_t> breaks;
    // The radii (cm) whose readings set the reading axis: the range of the
    // scan's check.
    double from = 0.0;
    double to = 0.0;
};

// The stretches of a curve's line, [begin, end) into its points.
std::vector<std::pair<size_t, size_t>> Stretches(const OverlayCurve &curve);

// The scores of one group's scans against their elapsed times.
struct ScoreCurve {
    int group = -1; // index into RunGroups::groups
    QString label; // "Cell 1, 280 nm, 16000 rpm"
    std::vector<QPointF> points; // hours, score
    std::vector<int> scans; // the scan of each point
};

// The most curves one plot shows, and the most points of one curve: a
// longer curve keeps the lowest and the highest point of each stretch, so
// spikes stay and the plot looks the same at any size a screen has.
constexpr int MaxOverlayCurves = 120;
constexpr int MaxCurvePoints = 600;
// The most points of one scan drawn apart from its curve, of each kind.
constexpr int MaxApartPoints = 100;

struct Overlay {
    int chosen = 0; // scans chosen; more than are plotted beyond MaxOverlayCurves
    std::vector<OverlayCurve> scans;
    // Each scan with a group, but its last, minus the last: over the points
    // the check compares, less the scan's offset where it has a score, when
    // offsets are removed; else over the whole overlap, as they are.
    std::vector<OverlayCurve> differences;
    bool offsetsRemoved = true;
    std::vector<ScoreCurve> scores; // of the groups the chosen scans belong to
    double firstHours = 0.0; // the colour scale's ends
    double lastHours = 0.0;
    // The points of the plotted scans that are not good, drawn apart and
    // thinned as the curves are: readings above the ceiling and rows the
    // instrument could not measure (greyed), and points removed.
    std::vector<QPointF> greyed;
    std::vector<QPointF> removed;
    // Why a plot shows nothing, when it does not; empty otherwise.
    QString overlayNote;
    QString differenceNote;
    QString scoreNote;
};

// The colour of a time at `fraction` (0 first, 1 last) of the scale: dark
// blue through green to yellow, distinguishable in grey too.
QColor TimeColour(double fraction);
// Scans without an elapsed time.
QColor NoTimeColour();

// The scans' curves in the order given.
Overlay BuildOverlay(const Run &run, const RunAnalysis &analysis, const std::vector<int> &chosen,
    bool removeOffsets = true);

// "Cell 1" or, for a sample column split from its scans, "Cell 1, column 2".
QString CellText(int cell, int column);

// "Cell 1, Absorbance, 280-281 nm, 16000 rpm".
QString GroupText(const ScanGroup &group);

// The points of a curve thinned to at most `most` (MaxCurvePoints unless
// given) as above.
std::vector<QPointF> Thinned(std::vector<QPointF> points, int most = MaxCurvePoints);
