// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PlotworkLayout.h"

#include "base/Platform.h"
#include "editor/PlotGeometry.h"

namespace
{

constexpr int SmallScreenWidth = 640; // at most: the designed size and fonts
constexpr int LargeToolbarWidth = 800; // above: the 32-pixel toolbar

int twipsToPixels(double twips)
{
    return RoundEven(twips / TwipsPerPixel);
}

} // namespace

PlotworkLayout LayoutPlotwork(QSize screen)
{
    // The rules are in twips, as the window's geometry is.
    const double screenWidth = double(screen.width()) * TwipsPerPixel;
    const double screenHeight = double(screen.height()) * TwipsPerPixel;
    PlotworkLayout layout;
    double width = 0.64 * screenWidth;
    double height = 0.8 * screenHeight;
    if (screen.width() > SmallScreenWidth) {
        layout.stripPoints = 8;
        width = 0.52 * screenWidth;
        height = 0.65 * screenHeight;
    }
    layout.size = QSize(twipsToPixels(width), twipsToPixels(height));
    const double left = (screenWidth - double(layout.size.width()) * TwipsPerPixel) / 2.0;
    const double top
        = (screenHeight - double(layout.size.height()) * TwipsPerPixel) / 2.0 - 0.03 * screenHeight;
    layout.position = QPoint(twipsToPixels(left), twipsToPixels(top));
    layout.largeToolbar = screen.width() > LargeToolbarWidth;
    return layout;
}
