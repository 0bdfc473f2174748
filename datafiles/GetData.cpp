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

// The dialog and the read form one unit: a cancel or any error ends it
// where it stands, keeping what was already done. False when it ended early.
bool PickAndReadDataFile(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    try {
        const std::optional<ChosenFile> chosen
            = ChooseTextFile(app, QStringLiteral("Get Data File"),
                QStringLiteral("Data File | *.*"), QStringLiteral("data file"));
        if (!chosen)
            return false;
        s.DataFileName = chosen->name;
        s.ReadPath = chosen->name.trimmed();
        app.numlib.getdata(s.RawPts, s.NumPts, s.ReadPath, s.NumComments, s.CommentBuf);
        view.setViewText(ViewTab::DataFile, chosen->text);
        s.FirstX = s.RawPts.x(1);
        s.FirstIdx = 1;
        s.LastX = s.RawPts.x(s.NumPts); // a file without points ends the unit here
        s.LastIdx = s.NumPts;
        for (int i = 1; i <= s.NumPts; ++i) {
            s.DataPts.x(i) = s.RawPts.x(i);
            s.DataPts.conc(i) = s.RawPts.conc(i);
            s.DataPts.flag(i) = s.RawPts.flag(i);
        }
        SetFirstLastGood(s);
        view.setTabCaption(ViewTab::DataFile, TabCaptionFor(s.ReadPath));
        view.setMenuEnabled(MenuEntry::GetBlankData, true);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace

void ShowNoNoise(ProgramState &state, MainView &view)
{
    view.setMenuEnabled(MenuEntry::AddNoise, true);
    view.setMenuVisible(MenuEntry::AddNoise, true);
    view.setMenuVisible(MenuEntry::BackItOff, false);
    view.setMenuEnabled(MenuEntry::BackItOff, false);
    state.NoiseAdded = false;
}

void EnableDataSetMenus(ProgramState &state, MainView &view)
{
    view.setMenuEnabled(MenuEntry::SaveDataFile, true);
    view.setMenuEnabled(MenuEntry::EditMenuChoice, true);
    ShowNoNoise(state, view);
}

void GetNewData(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    LocateWorkFile(s);
    if (!PickAndReadDataFile(app, view))
        QDir::setCurrent(s.WorkDir);
    if (s.BlankLoaded) {
        int32_t nlow = 0;
        int32_t nhigh = 0;
        app.numlib.blank(s.RawPts, s.NumPts, s.BlankPts, s.NumBlankPts, s.DataPts, nlow, nhigh);
    }
    WriteWorkFile(s, view);
    view.setMenuVisible(MenuEntry::FilesLoaded, false);
    EnableDataSetMenus(s, view);
}
