// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/Plotwork.h"

#include "base/AppContext.h"
#include "base/MainView.h"
#include "core/ProgramState.h"
#include "datafiles/WorkFile.h"
#include "editor/Zoom.h"

#include <algorithm>
#include <memory>

PlotSession PlotSessionFrom(const ProgramState &s)
{
    PlotSession session;
    static_cast<PlotFields &>(session) = s;
    session.GoodRed = s.GoodRed;
    session.GoodGreen = s.GoodGreen;
    session.GoodBlue = s.GoodBlue;
    session.DelRed = s.DelRed;
    session.DelGreen = s.DelGreen;
    session.DelBlue = s.DelBlue;
    session.ShowXY = s.ShowXY;
    session.PrinterName = s.PrinterName;
    session.WorkDir = s.WorkDir;
    return session;
}

void DoPlotwork(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    s.PlotTitle = QStringLiteral("Editing Data Set ");
    s.PlotSubtitle = QStringLiteral(" ");
    s.XAxisLabel = s.IsRadius ? QStringLiteral("Radius (cm)") : QStringLiteral("XI = R^2/2 (cm^2)");
    s.YAxisLabel = QStringLiteral("Concentration");
    const int count = std::clamp<int>(s.NumPts, 0, PointCapacity);
    for (int i = 1; i <= count; ++i) {
        s.PlotX(i) = s.DataPts.x(i);
        s.PlotY(i) = s.DataPts.conc(i);
        s.PlotFlag(i) = s.DataPts.flag(i);
    }
    s.PlotCount = int16_t(count);

    // Three point arrays: too large for the stack of a menu handler.
    auto session = std::make_unique<PlotSession>(PlotSessionFrom(s));
    session->ShowLnC = [&view](const PlotFields &plot) { view.showLnC(plot); };
    PlotRange(*session);
    s.PlotXMin = session->PlotXMin;
    s.PlotXMax = session->PlotXMax;
    s.PlotYMin = session->PlotYMin;
    s.PlotYMax = session->PlotYMax;
    const PlotOutcome outcome = view.editPlot(*session);
    session.reset();
    s.ShowXY = outcome.ShowXY;
    s.CommitEdits = outcome.CommitEdits;
    if (!s.CommitEdits)
        return;
    s.PlotFlag = outcome.PlotFlag;
    for (int i = 1; i <= count; ++i)
        s.DataPts.flag(i) = s.PlotFlag(i);
    // The first and last good point over the editor's flags, without first
    // resetting them: with no good point left they keep their values.
    ScanFirstLastGood(s);
    RewriteWorkFile(s, view);
}
