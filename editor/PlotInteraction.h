// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse side of the Plotwork window without the window: the edit mode,
// the zoom box, and the two maps that turn a pointer position in pixels into
// plot units and data values. Press, move and release go in; out come the
// edits to make (which point, or which side of which abscissa) and the data
// rectangle to zoom into. PlotWindow applies them and redraws.
#pragma once

#include "editor/PlotCodes.h"
#include "editor/PlotMap.h"
#include "editor/PointEditing.h"

#include <QPointF>
#include <QRectF>

#include <optional>

struct PlotSession;

// The rubber band: anchor corner (button down) and moving corner, plot units.
struct ZoomBox {
    bool BoxDragging = false;
    bool BoxFresh = true; // not drawn yet since the button went down
    float BoxX1 = 0.0f;
    float BoxY1 = 0.0f;
    float BoxX2 = 0.0f;
    float BoxY2 = 0.0f;
};

// A zoom target in data values, xa <= xb and ya <= yb, inside the axes.
struct DataBox {
    float xa = 0.0f;
    float xb = 0.0f;
    float ya = 0.0f;
    float yb = 0.0f;
};

struct PlotAction {
    enum class Kind {
        None,
        EditPoint, // change the flag of `point`
        EditSide, // change the flags to the left (or right) of `xc`
        Zoom, // zoom into `zoom`
    };
    Kind kind = Kind::None;
    FlagChange change = FlagChange::Remove;
    int point = 0;
    bool left = true;
    float xc = 0.0f;
    DataBox zoom;
};

class PlotInteraction
{
public:
    EditMode mode() const { return m_mode; }
    // Leaving zoom mode ends a drag that a release with a modifier left open.
    void setMode(EditMode mode);
    const ZoomBox &box() const { return m_box; }
    // The rubber band as drawn, plot units; nothing before the first move.
    std::optional<QRectF> band() const;

    // The data map and hit radius of the plot as last drawn.
    void setPlot(const PlotMap &map, float hitRadius);
    // The drawing surface as it is now.
    void setSurface(const SurfaceMap &surface) { m_surface = surface; }
    bool hasPlot() const { return m_hasPlot; }
    const PlotMap &map() const { return m_map; }
    const SurfaceMap &surface() const { return m_surface; }

    // A pixel position in plot units and in data values, single precision.
    QPointF toPlot(QPointF pixel) const;
    QPointF toData(QPointF pixel) const;

    // Nothing happens before the first paint or with a modifier held.
    PlotAction press(
        QPointF pixel, MouseButton button, ShiftState shift, const PlotSession &points);
    // True when the rubber band moved.
    bool move(QPointF pixel);
    // The point a plain left click at `pixel` would change: in the two point
    // modes, by the click's own hit rule; 0 in the other modes and when none
    // is within reach.
    int pointAt(QPointF pixel, const PlotSession &points) const;
    // The abscissa in plot units that a click at `pixel` would split at, in
    // the two side modes; nothing in the other modes.
    std::optional<float> sideAt(QPointF pixel) const;
    // Only a plain left release ends a drag; the box then zooms when it has
    // width and height in data values, and its corners go back to 0.
    PlotAction release(MouseButton button, ShiftState shift);

private:
    EditMode m_mode = EditMode::Zoom;
    ZoomBox m_box;
    PlotMap m_map;
    SurfaceMap m_surface;
    float m_hitRadius = 0.0f;
    bool m_hasPlot = false;
};
