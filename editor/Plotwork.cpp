#include "editor/Plotwork.h"

#include "datafiles/WorkFile.h"
#include "editor/PlotWindow.h"
#include "editor/Zoom.h"
#include "shell/AppContext.h"
#include "shell/MainView.h"
#include "shell/Platform.h"
#include "shell/ProgramState.h"

#include <algorithm>

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
    PlotRange(s, s.PlotX, s.PlotY, s.PlotCount);
    {
        PlotWindow window(app, view.widget());
        app.platform.execModal(window);
    }
    if (!s.CommitEdits)
        return;

    // The first and last good point over the editor's flags, without first
    // resetting them: with no good point left they keep their values.
    for (int i = 1; i <= s.PlotCount; ++i) {
        if (s.PlotFlag(i) > 0.0f) {
            s.FirstIdx = i;
            s.FirstX = s.PlotX(i);
            break;
        }
    }
    for (int i = s.PlotCount; i >= std::max(s.FirstIdx, 1); --i) {
        if (s.PlotFlag(i) > 0.0f) {
            s.LastIdx = i;
            s.LastX = s.PlotX(i);
            break;
        }
    }
    for (int i = 1; i <= count; ++i)
        s.DataPts.flag(i) = s.PlotFlag(i);
    RewriteWorkFile(s, view);
}
