#include "operations/BlankCommands.h"

#include "datafiles/GetData.h"
#include "datafiles/TextFiles.h"
#include "datafiles/WorkFile.h"
#include "shell/AppContext.h"
#include "shell/MainView.h"
#include "shell/NumLib.h"
#include "shell/Platform.h"
#include "shell/ProgramState.h"

#include <QDir>

#include <exception>

namespace
{

// The dialog and the read form one unit, as for a data file: a cancel or any
// error ends it where it stands and keeps what was already done.
bool PickAndReadBlankFile(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    try {
        // A blank file that cannot be read is reported before the parser
        // runs, so the blank loaded before stays whole.
        const std::optional<ChosenFile> chosen
            = ChooseTextFile(app, QStringLiteral("Get Blank File"),
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
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace

void GetBlankData(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
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

void ClearBlank(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    s.BlankLoaded = false;
    s.NumBlankPts = 0;
    s.NumBlankComments = 0;
    s.BlankCommentBuf.clear();
    view.setViewText(ViewTab::BlankFile, " ");
    view.setMenuEnabled(MenuEntry::ClearBlank, false);
    for (int i = 1; i <= s.NumPts; ++i) {
        s.DataPts.x(i) = s.RawPts.x(i);
        s.DataPts.conc(i) = s.RawPts.conc(i);
        s.DataPts.flag(i) = s.RawPts.flag(i);
    }
    // The flags are the file's again, so the good range must follow them: a
    // Truncated save would otherwise drop points that are good once more.
    if (s.NumPts > 0)
        SetFirstLastGood(s);
    RewriteWorkFile(s, view);
    view.setTabCaption(ViewTab::BlankFile, QStringLiteral("Blank File"));
    ShowNoNoise(s, view);
}
