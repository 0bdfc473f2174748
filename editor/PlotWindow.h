// SPDX-License-Identifier: GPL-3.0-or-later
// Plotwork, the editor window: a plot of the copy of the data set it is
// opened on (a PlotSession), with a toolbar of edit modes, a menu bar (zoom
// out, the (X,Y) read-out, printer, copy and the suggested bad points) and
// the read-out strip. It edits
// its own copy only; outcome() is what it hands back when it closes.
//
// Form_Paint computes the whole plot (PlotGeometry.h), shows the warnings for
// an axis of identical values, and hands the result to the canvas, which
// draws it whenever the window system asks. So a warning is shown only by a
// paint that something caused (opening, a resize, an edit, a zoom), never by
// the repaint that uncovers the window once the warning has closed.
#pragma once

#include "core/PlotSession.h"
#include "core/Suggestions.h"
#include "editor/EditHistory.h"
#include "editor/PlotFormState.h"
#include "editor/PlotInteraction.h"
#include "editor/PlotOutput.h"

#include <QDialog>
#include <QImage>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class NumLib;
class Platform;
class PlotCanvas;
class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QToolBar;

class PlotWindow : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ButtonCount = 8;

    PlotWindow(
        Platform &platform, NumLib &numlib, const PlotSession &session, QWidget *parent = nullptr);
    ~PlotWindow() override;

    const PlotFormState &form() const { return m_form; }
    const PlotInteraction &interaction() const { return m_interaction; }
    // The copy being edited: flags, plot range and texts.
    const PlotSession &session() const { return m_session; }
    PlotSession &session() { return m_session; }
    // What the window hands back: the commit choice, the flags, the read-out.
    const PlotOutcome &outcome() const { return m_outcome; }
    PlotCanvas *canvas() const { return m_canvas; }
    // Toolbar1 (32-pixel icons) or Toolbar2 (16-pixel icons).
    QToolBar *toolbar(int which) const;
    // Toolbar buttons 1..8; 6 is the separator.
    QAction *button(int index) const;
    QMenuBar *menus() const { return m_menuBar; }
    QAction *zoomOutEntry() const { return m_zoomOut; }
    // The keyboard's own commands: Ctrl+Z, Ctrl+Shift+Z or Ctrl+Y, Backspace.
    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }
    QAction *zoomBackAction() const { return m_zoomBack; }
    const EditHistory &history() const { return m_history; }
    QAction *showEmEntry() const { return m_showEm; }
    QMenu *printerMenu() const { return m_printerMenu; }
    // PrnArray(1..n), one per installed printer; the current one is checked.
    const std::vector<QAction *> &printerItems() const { return m_printerItems; }
    // The printer "Print" goes to; empty when none is installed.
    const QString &currentPrinter() const { return m_currentPrinter; }
    QAction *printEntry() const { return m_print; }
    QMenu *copyMenu() const { return m_copyMenu; }
    QAction *clipboardEntry() const { return m_toClipboard; }
    QAction *bitmapEntry() const { return m_toBitmap; }
    // "To File (SVG)", "To File (PDF)" and "To File (PNG)", after the bitmap.
    QAction *fileEntry(PlotFileFormat format) const;
    QFrame *xyCoords() const { return m_xyCoords; }
    QLabel *xyLabel() const { return m_xyLabel; }
    QLabel *outFileLabel() const { return m_outFileLabel; }
    // The Suggest menu: "Suggest", "Remove suggested", "Clear suggestions"
    // and "Suggest settings...", and the counts of the last Suggest in the
    // read-out strip.
    QMenu *suggestMenu() const { return m_suggestMenu; }
    // "ln c vs r²/2...", shown when the session can show it.
    QAction *lnCEntry() const { return m_lnC; }
    QAction *suggestEntry() const { return m_suggest; }
    QAction *removeSuggestedEntry() const { return m_removeSuggested; }
    QAction *clearSuggestionsEntry() const { return m_clearSuggestions; }
    QAction *suggestSettingsEntry() const { return m_suggestSettingsEntry; }
    QLabel *suggestLabel() const { return m_suggestLabel; }
    const SuggestSettings &suggestSettings() const { return m_suggestSettings; }
    // The points ringed as suggested: marked by the last Suggest and good.
    std::vector<int> ringedPoints() const;

    // The plot as drawn in the window: what is printed, copied or saved.
    QImage plotImage();

    // Recomputes and redraws the plot (and warns about identical values).
    void Form_Paint();

public slots:
    // Every way out but "Exit and update data set" ends here: after changes
    // it asks before the edits are thrown away.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void createMenus();
    void createToolbars();
    void createStrip();
    void createKeys();
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void LoadPrinterMenu();
    void layoutStrip();
    void canvasResized();
    void warn(const QString &text, const QString &title);

    void Toolbar_ButtonClick(int index);
    void ShowEm_Click();
    void PrnArray_Click(int index);
    void PrnPlot_Click();
    void ClipPrn_Click();
    void SaveBMP_Click();
    void SaveFile_Click(PlotFileFormat format);
    // The picture's size and the routine that draws it onto any device.
    QSize pictureSize() const;
    DrawPicture pictureDrawer();
    void Zoomout_Click();
    void ZoomBack_Click();
    void Undo_Click();
    void Redo_Click();
    // Redraws after a step of the history and updates what depends on it.
    void applied(EditHistory::StepKind kind);
    void updateHistoryActions();
    // Redraws after flags changed: only the markers of `points` when the axes
    // as drawn still hold, the whole plot otherwise.
    void flagsChanged(const std::vector<int> &points);
    // The ring and tool tip, or the side line, for the pointer as it is now.
    void updateHover();
    QString pointTip(int i) const;
    bool confirmDiscard();
    void Form_MouseDown(QPointF pixel, MouseButton button, ShiftState shift);
    void Form_MouseMove(QPointF pixel);
    void Form_MouseUp(QPointF pixel, MouseButton button, ShiftState shift);
    void editSide(const PlotAction &edit);
    void tryZoom(const DataBox &box);
    void createSuggestMenu();
    void createLnCEntry();
    void Suggest_Click();
    void RemoveSuggested_Click();
    void ClearSuggestions_Click();
    void SuggestSettings_Click();
    // The rings and the Remove and Clear entries for the marks and flags as
    // they are now.
    void updateSuggestRings();
    bool ringed(int i) const;
    // Runs a handler; an error that escapes it is shown, never fatal.
    void guarded(const std::function<void()> &handler);

    Platform &m_platform;
    NumLib &m_numlib;
    PlotSession m_session;
    PlotOutcome m_outcome;
    PlotFormState m_form;
    PlotInteraction m_interaction;
    EditHistory m_history;
    decltype(PlotSession::PlotFlag) m_openFlags; // the flags as the window opened
    std::optional<QPointF> m_pointer; // over the canvas, pixels
    PlotCanvas *m_canvas = nullptr;
    QMenuBar *m_menuBar = nullptr;
    std::array<QToolBar *, 2> m_toolbars {};
    std::array<QAction *, ButtonCount> m_buttons {};
    QActionGroup *m_modes = nullptr;
    QAction *m_zoomOut = nullptr;
    QAction *m_zoomBack = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_showEm = nullptr;
    QMenu *m_printerMenu = nullptr;
    QAction *m_printerEnd = nullptr; // Dummy0
    std::vector<QAction *> m_printerItems;
    QStringList m_printerNames;
    QString m_currentPrinter;
    QAction *m_print = nullptr;
    QMenu *m_copyMenu = nullptr;
    QAction *m_toClipboard = nullptr;
    QAction *m_toBitmap = nullptr;
    std::array<QAction *, 3> m_toFiles {}; // SVG, PDF, PNG
    QFrame *m_xyCoords = nullptr;
    QLabel *m_xyLabel = nullptr;
    QLabel *m_outFileLabel = nullptr;
    QMenu *m_suggestMenu = nullptr;
    QAction *m_lnC = nullptr;
    QAction *m_suggest = nullptr;
    QAction *m_removeSuggested = nullptr;
    QAction *m_clearSuggestions = nullptr;
    QAction *m_suggestSettingsEntry = nullptr;
    QLabel *m_suggestLabel = nullptr;
    SuggestSettings m_suggestSettings;
    // The marks of the last Suggest, by point number; empty when cleared.
    Suggestions m_suggestions;

    QSize m_paintedSize; // canvas size of the last paint
    bool m_resizeQueued = false; // resizes arriving together paint once
    bool m_warning = false; // a warning box is open
};
