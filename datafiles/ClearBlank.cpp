// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/ClearBlank.h"

#include "base/AppContext.h"
#include "base/MainView.h"
#include "base/MenuState.h"
#include "core/ProgramState.h"
#include "datafiles/WorkFile.h"

void ClearBlank(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    ClearBlankState(s);
    view.setViewText(ViewTab::BlankFile, " ");
    view.setMenuEnabled(MenuEntry::ClearBlank, false);
    RewriteWorkFile(s, view);
    view.setTabCaption(ViewTab::BlankFile, QStringLiteral("Blank File"));
    ShowNoNoise(s, view);
}
