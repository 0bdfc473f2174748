// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/InvertSign.h"

#include "base/AppContext.h"
#include "core/ProgramState.h"
#include "datafiles/WorkFile.h"

void InvertC(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    for (int i = 1; i <= s.NumPts; ++i)
        s.DataPts.conc(i) = s.DataPts.conc(i) * -1.0f;
    RewriteWorkFile(s, view);
}
