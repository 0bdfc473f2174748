#include "datafiles/ClearBlank.h"

#include "datafiles/WorkFile.h"
#include "shell/AppContext.h"
#include "shell/MainView.h"
#include "shell/MenuState.h"
#include "shell/ProgramState.h"

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
