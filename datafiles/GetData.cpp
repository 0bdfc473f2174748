// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/GetData.h"

#include "base/AppContext.h"
#include "base/MainView.h"
#include "base/MenuState.h"
#include "base/Platform.h"
#include "core/MemoryFile.h"
#include "core/NumLib.h"
#include "core/ProgramState.h"
#include "datafiles/TextFiles.h"
#include "datafiles/WorkFile.h"

#include <QDir>
#include <QFileInfo>

namespace
{

constexpr const char *DialogTitle = "Get Data File";
constexpr const char *FileKind = "data file";

// A folder as ProgramState keeps it, ending in a separator; empty stays empty.
QString FolderPath(const QString &folder)
{
    return folder.isEmpty() || folder.endsWith(QLatin1Char('/')) ? folder
                                                                 : folder + QLatin1Char('/');
}

// Reads the chosen file into the data set. The dialog and the read form one
// unit: a cancel, a file that cannot be read or one without points ends it
// where it stands, keeping what was already done. False when it ended early.
bool ReadDataFile(AppContext &app, MainView &view, const ChosenFile &chosen)
{
    ProgramState &s = app.state;
    s.DataFileName = chosen.name;
    s.ReadPath = chosen.name.trimmed();
    app.numlib.getdata(s.RawPts, s.NumPts, chosen.readFrom.isEmpty() ? s.ReadPath : chosen.readFrom,
        s.NumComments, s.CommentBuf);
    view.setViewText(ViewTab::DataFile, chosen.text);
    // The tab names the file its view shows, points or not.
    view.setTabCaption(ViewTab::DataFile, TabCaptionFor(s.ReadPath));
    s.FirstX = s.RawPts.x(1);
    s.FirstIdx = 1;
    if (s.NumPts < 1) {
        ReportNoDataPoints(app, s.ReadPath);
        return false;
    }
    s.LastX = s.RawPts.x(s.NumPts);
    s.LastIdx = s.NumPts;
    CopyPoints(s.RawPts, s.DataPts, s.NumPts);
    SetFirstLastGood(s);
    view.setMenuEnabled(MenuEntry::GetBlankData, true);
    return true;
}

bool PickAndReadDataFile(AppContext &app, MainView &view)
{
    const std::optional<ChosenFile> chosen = ChooseTextFile(app, QLatin1String(DialogTitle),
        QStringLiteral("Data File | *.*"), QLatin1String(FileKind));
    if (!chosen)
        return false;
    // A file of the user's choosing: this command's working file was placed
    // before the dialog, the later ones go where any file's go.
    app.state.WorkFilesDir.clear();
    return ReadDataFile(app, view, *chosen);
}

// What follows the unit whatever its outcome: the blank, the working file
// and the menus.
void FinishGetData(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    if (s.BlankLoaded) {
        int32_t nlow = 0;
        int32_t nhigh = 0;
        app.numlib.blank(s.RawPts, s.NumPts, s.BlankPts, s.NumBlankPts, s.DataPts, nlow, nhigh);
    }
    WriteWorkFile(s, view);
    view.setMenuVisible(MenuEntry::FilesLoaded, false);
    EnableDataSetMenus(s, view);
}

} // namespace

void ReportNoDataPoints(AppContext &app, const QString &path)
{
    app.platform.messageBox(QStringLiteral("The data file\n%1\nholds no data points.").arg(path),
        QLatin1String(DialogTitle), MsgStyle::Exclamation);
}

bool GetNewData(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    // Without the library nothing can be read: say so before a file is
    // chosen, and change nothing.
    app.numlib.load();
    LocateWorkFile(s);
    const bool read = PickAndReadDataFile(app, view);
    if (!read)
        QDir::setCurrent(s.WorkDir);
    FinishGetData(app, view);
    return read;
}

bool GetNamedData(AppContext &app, MainView &view, const QString &path, const QString &workFiles)
{
    ProgramState &s = app.state;
    app.numlib.load();
    const QFileInfo file(path);
    const std::optional<ChosenFile> chosen = ReadChosenFile(
        app, file.absoluteFilePath(), QLatin1String(DialogTitle), QLatin1String(FileKind));
    if (!chosen)
        return false;
    // As the dialog does when it closes on a file; here before the working
    // file is placed, since no earlier folder was the user's choice.
    QDir::setCurrent(file.absolutePath());
    s.WorkFilesDir = FolderPath(workFiles);
    LocateWorkFile(s);
    const bool read = ReadDataFile(app, view, *chosen);
    if (!read)
        QDir::setCurrent(s.WorkDir);
    FinishGetData(app, view);
    return read;
}

bool GetDataFromMemory(AppContext &app, MainView &view, const QString &name, const QString &folder,
    const QByteArray &bytes, const QString &workFiles)
{
    ProgramState &s = app.state;
    app.numlib.load();
    const MemoryFile memory(bytes);
    if (!memory.isOpen()) {
        app.platform.messageBox(
            QStringLiteral("%1\ncould not be read: %2").arg(name, memory.error()),
            QLatin1String(DialogTitle), MsgStyle::Exclamation);
        return false;
    }
    QDir::setCurrent(folder);
    s.WorkFilesDir = FolderPath(workFiles);
    LocateWorkFile(s);
    const bool read = ReadDataFile(app, view, { name, bytes, memory.path() });
    if (!read)
        QDir::setCurrent(s.WorkDir);
    FinishGetData(app, view);
    return read;
}
