// What the commands may change in the main window: menu entries, the three
// text views with their tab captions, and a notice line. The main window
// implements it; commands never touch its widgets directly.
#pragma once

#include <QByteArray>
#include <QString>

enum class MenuEntry {
    FileMenu,
    GetNewData,
    UseFitFile,
    GetBlankData,
    ClearBlank,
    FilesLoaded,
    EditMenuChoice,
    DoPlotwork,
    EditComment1,
    InvertC,
    AddNoise,
    BackItOff,
    SaveDataFile,
    SaveComplete,
    SaveCompleteRSq,
    SaveTruncated,
    SaveTruncatedRSq,
    SetColors,
};

enum class ViewTab { DataFile = 0, BlankFile = 1, EditedDataFile = 2 };

class QWidget;

class MainView
{
public:
    virtual ~MainView() = default;

    virtual void setMenuEnabled(MenuEntry entry, bool enabled) = 0;
    virtual void setMenuVisible(MenuEntry entry, bool visible) = 0;

    // The data-set entries under "LoadedFiles", index 0..14.
    virtual void setDataSetCaption(int index, const QString &caption) = 0;
    virtual void setDataSetEnabled(int index, bool enabled) = 0;
    virtual void setDataSetVisible(int index, bool visible) = 0;
    virtual void setDataSetChecked(int index, bool checked) = 0;

    // Plain single-byte text, shown as it is (line ends of any kind).
    virtual void setViewText(ViewTab tab, const QByteArray &text) = 0;
    virtual void setTabCaption(ViewTab tab, const QString &caption) = 0;

    // A non-modal notice below the views; empty removes it.
    virtual void setNotice(const QString &text) = 0;

    // The window itself, to place dialogs over it.
    virtual QWidget *widget() = 0;
};
