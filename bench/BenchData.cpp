// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchData.h"

#include "core/ProgramState.h"

#include <cmath>

namespace
{
float x(int i)
{
    return 5.9f + 0.0006f * float(i);
}
float conc(int i)
{
    return 0.4f + 0.3f * std::sin(float(i) * 0.01f);
}
float flag(int i)
{
    return i % 17 == 0 ? -100.0f : 100.0f;
}
} // namespace

void fillFullDataSet(ProgramState &s)
{
    s.NumPts = MaxPoints;
    for (int i = 1; i <= MaxPoints; ++i) {
        s.DataPts.x(i) = x(i);
        s.DataPts.conc(i) = conc(i);
        s.DataPts.flag(i) = flag(i);
    }
    s.NumComments = 2;
    s.CommentBuf.setSlot(1, "Benchmark scan");
}

void fillPlot(ProgramState &s)
{
    s.PlotTitle = QStringLiteral("Editing Data Set ");
    s.PlotSubtitle = QStringLiteral(" ");
    s.XAxisLabel = QStringLiteral("Radius (cm)");
    s.YAxisLabel = QStringLiteral("Concentration");
    s.PlotCount = MaxPoints;
    for (int i = 1; i <= MaxPoints; ++i) {
        s.PlotX(i) = x(i);
        s.PlotY(i) = conc(i);
        s.PlotFlag(i) = flag(i);
    }
    s.PlotXMin = s.PlotX(1);
    s.PlotXMax = s.PlotX(MaxPoints);
    s.PlotYMin = 0.1f;
    s.PlotYMax = 0.7f;
}

PlotSetup fullScreenSetup()
{
    PlotSetup setup;
    setup.pixels = QSizeF(1280, 1024);
    setup.outerTwips = 1024.0 * 15;
    return setup;
}
