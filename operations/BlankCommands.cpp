// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/BlankCommands.h"

#include "base/AppContext.h"
#include "base/MainView.h"
#include "base/MenuState.h"
#include "base/Platform.h"
#include "core/NumLib.h"
#include "core/ProgramState.h"
#include "datafiles/TextFiles.h"
#include "datafiles/WorkFile.h"

#include <QDir>

namespace
{

// The dialog and the read form one unit, as for a data file: a cancel or a
// file that cannot be read ends it and keeps what was already done. A
// blank file that cannot be read is reported before the parser runs, so the
// blank loaded before stays whole.
bool PickAndReadBlankFile(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    const std::optional<ChosenFile> chosen = ChooseTextFile(app, QStringLiteral("Get Blank File"),
        QStringLiteral("Blank File | *.*"), QStringLiteral("blank file"));
    if (!chosen)
        return false;
    s.BlankFileName = chosen->name;
    s.ReadPath = chosen->name.trimmed();
    app.numlib.getdata(
        s.BlankPts, s.NumBlankPts, s.ReadPath, s.NumBlankComments, s.BlankCommentBuf);
    view.setViewText(ViewTab::BlankFile, chosen->text);
    view.setTabCaption(ViewTab::BlankFile, TabCaptionFor(s.ReadPath));
    s.BlankLoaded = true;
    return true;
}

} // namespace

void GetBlankData(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    app.numlib.load();
    if (!PickAndReadBlankFile(app, view) && !s.WorkDir.isEmpty())
        QDir::setCurrent(s.WorkDir);
    // A cancel while an earlier blank is loaded applies that blank again.
    if (!s.BlankLoaded)
        return;
    int32_t nlow = 0;
    int32_t nhigh = 0;
    app.numlib.blank(s.RawPts, s.NumPts, s.BlankPts, s.NumBlankPts, s.DataPts, nlow, nhigh);
    RewriteWorkFile(s, view, FlagGap::Two);
    view.setMenuEnabled(MenuEntry::ClearBlank, true);
    ShowNoNoise(s, view);
}
