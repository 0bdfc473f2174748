// SPDX-License-Identifier: GPL-3.0-or-later
// What the commands may change in the main window (menu entries, the three
// text views with their tab captions, a notice line) and the dialogs they
// may ask for. The main window implements it; commands never touch widgets.
#pragma once

#include "core/PlotColours.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

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

struct PlotFields;
struct PlotOutcome;
struct PlotSession;

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
    // Lines of a view's text (0-based) that hold removed points, shown in the
    // deleted-point colour; set after the text, which clears them.
    virtual void setRemovedLines(ViewTab tab, const std::vector<int> &lines) = 0;
    virtual void setTabCaption(ViewTab tab, const QString &caption) = 0;

    // A non-modal notice below the views; empty removes it.
    virtual void setNotice(const QString &text) = 0;

    // The plot editor, run modally over the window on its own copy of the
    // plot; what it hands back when it closes.
    virtual PlotOutcome editPlot(const PlotSession &session) = 0;
    // ln c against r²/2 of these points (their good ones), over the window
    // that is active now, with the data set's header line.
    virtual void showLnC(const PlotFields &plot) = 0;

    // The dialogs the commands need, run over the window. Each gives back what
    // the user chose, or nothing when they closed it without OK.
    virtual std::optional<float> askNoiseLevel(float offered) = 0;
    virtual std::optional<QByteArray> editCommentText(const QByteArray &text) = 0;
    // The colours change live: `preview` gets each new choice as it is made.
    virtual std::optional<PlotColours> askColours(
        const PlotColours &current, const std::function<void(const PlotColours &)> &preview)
        = 0;
};
