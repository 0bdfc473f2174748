// SPDX-License-Identifier: GPL-3.0-or-later
// The size and place of the Plotwork window on a screen, as plain numbers:
// 64 % x 80 % of a screen up to 640 pixels wide with the designed strip
// fonts, 52 % x 65 % and 8-point strip fonts above; centred across, raised
// by 3 % of the screen height; the large toolbar above 800 pixels.
#pragma once

#include <QPoint>
#include <QSize>

struct PlotworkLayout {
    QSize size; // pixels
    QPoint position; // top-left corner on the screen, pixels
    double stripPoints = 9.75; // XYCoords, XYLabel and OutFileLbl
    bool largeToolbar = false; // Toolbar1, else Toolbar2
};

PlotworkLayout LayoutPlotwork(QSize screen);
