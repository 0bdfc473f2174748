// Plotwork, the editor window: a plot of the copy of the data set it is
// opened on (a PlotSession), with a toolbar of edit modes, a menu bar (zoom
// out, the (X,Y) read-out, printer and copy) and the read-out strip. It edits
// its own copy only; outcome() is what it hands back when it closes.
//
// Form_Paint computes the whole plot (PlotGeometry.h), shows the warnings for
// an axis of identical values, and hands the result to the canvas, which
// draws it whenever the window system asks. So a warning is shown only by a
// paint that something caused (opening, a resize, an edit, a zoom), never by
// the repaint that uncovers the window once the warning has closed.
#pragma once

#include "editor/PlotFormState.h"
#include "editor/PlotInteraction.h"
#include "shell/PlotSession.h"

#include <QDialog>
#include <QImage>
#include <QStringList>

#include <array>
#include <functional>
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
    QFrame *xyCoords() const { return m_xyCoords; }
    QLabel *xyLabel() const { return m_xyLabel; }
    QLabel *outFileLabel() const { return m_outFileLabel; }

    // The plot as drawn in the window: what is printed, copied or saved.
    QImage plotImage();

    // Recomputes and redraws the plot (and warns about identical values).
    void Form_Paint();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void createMenus();
    void createToolbars();
    void createStrip();
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
    void Zoomout_Click();
    void Form_MouseDown(QPointF pixel, MouseButton button, ShiftState shift);
    void Form_MouseMove(QPointF pixel);
    void Form_MouseUp(QPointF pixel, MouseButton button, ShiftState shift);
    void editSide(const PlotAction &edit);
    void tryZoom(const DataBox &box);
    // Runs a handler; an error that escapes it is shown, never fatal.
    void guarded(const std::function<void()> &handler);

    Platform &m_platform;
    NumLib &m_numlib;
    PlotSession m_session;
    PlotOutcome m_outcome;
    PlotFormState m_form;
    PlotInteraction m_interaction;
    PlotCanvas *m_canvas = nullptr;
    QMenuBar *m_menuBar = nullptr;
    std::array<QToolBar *, 2> m_toolbars {};
    std::array<QAction *, ButtonCount> m_buttons {};
    QActionGroup *m_modes = nullptr;
    QAction *m_zoomOut = nullptr;
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
    QFrame *m_xyCoords = nullptr;
    QLabel *m_xyLabel = nullptr;
    QLabel *m_outFileLabel = nullptr;

    QSize m_paintedSize; // canvas size of the last paint
    bool m_resizeQueued = false; // resizes arriving together paint once
    bool m_warning = false; // a warning box is open
};
