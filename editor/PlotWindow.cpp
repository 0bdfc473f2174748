// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PlotWindow.h"

#include "base/Platform.h"
#include "base/WindowPlacement.h"
#include "core/NumberFormat.h"
#include "editor/PlotCanvas.h"
#include "editor/PlotGeometry.h"
#include "editor/PlotOutput.h"
#include "editor/PlotRender.h"
#include "editor/PlotworkLayout.h"
#include "editor/PointEditing.h"
#include "editor/ResolutionDialog.h"
#include "editor/SuggestDialog.h"
#include "editor/ToolbarIcons.h"
#include "editor/Zoom.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace
{

struct ButtonSpec {
    const char *name;
    const char *tip;
    int picture; // 0: the separator
    const char *key; // as the accessible description tells it
};

const ButtonSpec buttonSpecs[PlotWindow::ButtonCount] = {
    { "Zoom", "Zoom Using LMB", 1, "Key: 1" },
    { "RemovePoint", "Remove point at Cursor", 2, "Key: 2" },
    { "RemoveSide", "Remove points to left or right with LMB or RMB", 3, "Key: 3" },
    { "RestorePoint", "Restore point at the cursor", 4, "Key: 4" },
    { "RestoreSide", "Restore points to left or right with LMB or RMB", 5, "Key: 5" },
    { "Separator", "", 0, "" },
    { "ExitUpdate", "Exit and update data set", 6, "Key: Ctrl+Enter" },
    { "ExitDiscard", "Discard edit, then exit", 7, "Key: Esc" },
};

// What the pointer looks like over the plot: what a click there would do.
Qt::CursorShape cursorFor(EditMode mode)
{
    switch (mode) {
    case EditMode::Zoom:
        return Qt::CrossCursor;
    case EditMode::RemovePoint:
        return Qt::PointingHandCursor;
    case EditMode::RemoveSide:
        return Qt::SplitHCursor;
    case EditMode::RestorePoint:
        return Qt::DragCopyCursor;
    case EditMode::RestoreSide:
        return Qt::SizeHorCursor;
    }
    return Qt::CrossCursor;
}

// The kinds as the strip counts them and as a point's tool tip names them,
// in the order of SuggestKind.
const char *const kindCounted[SuggestKindCount]
    = { "place-holder", "unreliable", "saturated", "spikes", "out of order" };
const char *const kindNamed[SuggestKindCount]
    = { "place-holder", "unreliable", "saturated", "spike", "out of order" };

// The points of `marked` that are still suggested, counted by kind.
QString suggestCounts(const Suggestions &found, const std::vector<int> &marked)
{
    if (marked.empty())
        return QStringLiteral("No points suggested");
    QStringList kinds;
    for (int k = 0; k < SuggestKindCount; ++k) {
        const auto count = std::count_if(
            marked.cbegin(), marked.cend(), [&](int i) { return found.at(i).has(SuggestKind(k)); });
        if (count > 0)
            kinds << QStringLiteral("%1 %2").arg(QLatin1String(kindCounted[k])).arg(count);
    }
    return QStringLiteral("Suggested: %1 (%2)")
        .arg(marked.size())
        .arg(kinds.join(QStringLiteral(", ")));
}

QString showEmCaption(bool shown)
{
    return shown ? QStringLiteral("&Hide (X,Y)") : QStringLiteral("&Show (X,Y)");
}

QFont stripFont(double points, bool bold)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace

PlotWindow::PlotWindow(
    Platform &platform, NumLib &numlib, const PlotSession &session, QWidget *parent)
    : QDialog(parent)
    , m_platform(platform)
    , m_numlib(numlib)
    , m_session(session)
    , m_openFlags(session.PlotFlag)
{
    setObjectName(QStringLiteral("Plotwork"));
    setWindowTitle(QStringLiteral("Sedora"));
    setSizeGripEnabled(true);
    m_canvas = new PlotCanvas(this);
    createMenus();
    createToolbars();
    createStrip();
    createKeys();
    createSuggestMenu();
    createLnCEntry();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(m_toolbars[0]);
    layout->addWidget(m_toolbars[1]);
    layout->addWidget(m_canvas, 1);
    layout->addWidget(m_xyCoords);

    connect(m_canvas, &PlotCanvas::resized, this, &PlotWindow::canvasResized);
    connect(m_canvas, &PlotCanvas::mousePressed, this, &PlotWindow::Form_MouseDown);
    connect(m_canvas, &PlotCanvas::mouseMoved, this, &PlotWindow::Form_MouseMove);
    connect(m_canvas, &PlotCanvas::mouseReleased, this, &PlotWindow::Form_MouseUp);
    connect(m_canvas, &PlotCanvas::left, this, [this] {
        m_pointer.reset();
        updateHover();
    });
    Form_Load();
}

PlotWindow::~PlotWindow() = default;

void PlotWindow::createMenus()
{
    m_menuBar = new QMenuBar(this);
    m_zoomOut = m_menuBar->addAction(QStringLiteral("&ZoomOut"));
    m_zoomOut->setObjectName(QStringLiteral("Zoomout"));
    m_zoomOut->setEnabled(false);
    m_zoomOut->setShortcut(Qt::Key_Home);
    m_zoomOut->setStatusTip(QStringLiteral("Key: Home"));
    connect(m_zoomOut, &QAction::triggered, this, &PlotWindow::Zoomout_Click);
    m_showEm = m_menuBar->addAction(showEmCaption(true));
    m_showEm->setObjectName(QStringLiteral("ShowEm"));
    connect(m_showEm, &QAction::triggered, this, &PlotWindow::ShowEm_Click);

    // The printer items go between the two separators when the window loads.
    m_printerMenu = m_menuBar->addMenu(QStringLiteral("&Printer"));
    m_printerMenu->setObjectName(QStringLiteral("Dummy1"));
    m_printerMenu->menuAction()->setObjectName(QStringLiteral("Dummy1"));
    QAction *printerTemplate = m_printerMenu->addSeparator();
    printerTemplate->setObjectName(QStringLiteral("PrnArray"));
    printerTemplate->setProperty("Index", 0);
    m_printerEnd = m_printerMenu->addSeparator();
    m_printerEnd->setObjectName(QStringLiteral("Dummy0"));
    // The template separator shows at the top, as the menu is laid out.
    m_printerMenu->setSeparatorsCollapsible(false);
    m_print = m_printerMenu->addAction(QStringLiteral("Print"));
    m_print->setObjectName(QStringLiteral("PrnPlot"));
    connect(m_print, &QAction::triggered, this, &PlotWindow::PrnPlot_Click);

    m_copyMenu = m_menuBar->addMenu(QStringLiteral("&Copy"));
    m_copyMenu->setObjectName(QStringLiteral("Copyit"));
    m_copyMenu->menuAction()->setObjectName(QStringLiteral("Copyit"));
    m_toClipboard = m_copyMenu->addAction(QStringLiteral("To Clipboard"));
    m_toClipboard->setObjectName(QStringLiteral("ClipPrn"));
    connect(m_toClipboard, &QAction::triggered, this, &PlotWindow::ClipPrn_Click);
    m_toBitmap = m_copyMenu->addAction(QStringLiteral("To File (Bitmap)"));
    m_toBitmap->setObjectName(QStringLiteral("SaveBMP"));
    connect(m_toBitmap, &QAction::triggered, this, &PlotWindow::SaveBMP_Click);
    const struct {
        PlotFileFormat format;
        const char *name;
        const char *caption;
    } files[] = { { PlotFileFormat::Svg, "SaveSVG", "To File (SVG)" },
        { PlotFileFormat::Pdf, "SavePDF", "To File (PDF)" },
        { PlotFileFormat::Png, "SavePNG", "To File (PNG)" } };
    for (const auto &file : files) {
        QAction *entry = m_copyMenu->addAction(QLatin1String(file.caption));
        entry->setObjectName(QLatin1String(file.name));
        connect(entry, &QAction::triggered, this,
            [this, format = file.format] { SaveFile_Click(format); });
        m_toFiles[size_t(file.format)] = entry;
    }
}

void PlotWindow::createToolbars()
{
    m_modes = new QActionGroup(this);
    m_modes->setExclusive(true);
    for (int index = 1; index <= ButtonCount; ++index) {
        const ButtonSpec &spec = buttonSpecs[index - 1];
        auto *action = new QAction(this);
        action->setObjectName(QLatin1String(spec.name));
        action->setProperty("Index", index);
        if (spec.picture == 0) {
            action->setSeparator(true);
        } else {
            const QString tip = QLatin1String(spec.tip);
            action->setText(tip);
            action->setToolTip(tip);
            action->setIcon(ToolbarIcon(spec.picture));
            action->setStatusTip(QLatin1String(spec.key));
            connect(
                action, &QAction::triggered, this, [this, index] { Toolbar_ButtonClick(index); });
        }
        if (index <= 5) {
            action->setCheckable(true);
            m_modes->addAction(action);
        }
        m_buttons[size_t(index - 1)] = action;
    }
    m_buttons[0]->setChecked(true);
    for (int index = 1; index <= 5; ++index)
        m_buttons[size_t(index - 1)]->setShortcut(QKeySequence(Qt::Key_0 + index));
    m_buttons[6]->setShortcuts(
        { QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter) });
    // Esc is the dialog's own: it closes as the close box does.

    const int iconSizes[2] = { 32, 16 };
    for (int which = 0; which < 2; ++which) {
        auto *bar = new QToolBar(this);
        bar->setObjectName(QStringLiteral("Toolbar%1").arg(which + 1));
        bar->setAccessibleName(QStringLiteral("Edit modes"));
        bar->setIconSize(QSize(iconSizes[which], iconSizes[which]));
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        bar->setMovable(false);
        bar->setFloatable(false);
        for (QAction *action : m_buttons) {
            bar->addAction(action);
            if (QWidget *widget = bar->widgetForAction(action); widget && !action->isSeparator()) {
                widget->setAccessibleName(action->toolTip());
                widget->setAccessibleDescription(action->statusTip());
            }
        }
        m_toolbars[size_t(which)] = bar;
    }
}

void PlotWindow::createStrip()
{
    m_xyCoords = new QFrame(this);
    m_xyCoords->setObjectName(QStringLiteral("XYCoords"));
    m_xyCoords->setFrameShape(QFrame::StyledPanel);
    m_xyCoords->setAccessibleName(QStringLiteral("(X,Y) read-out"));
    m_xyLabel = new QLabel(m_xyCoords);
    m_xyLabel->setObjectName(QStringLiteral("XYLabel"));
    m_outFileLabel = new QLabel(m_xyCoords);
    m_outFileLabel->setObjectName(QStringLiteral("OutFileLbl"));
    m_suggestLabel = new QLabel(m_xyCoords);
    m_suggestLabel->setObjectName(QStringLiteral("SuggestLbl"));
    m_suggestLabel->setAccessibleName(QStringLiteral("Suggested points"));
}

void PlotWindow::createKeys()
{
    // No menu entries of their own: the menus keep their specified entries.
    auto key = [this](const char *name, const char *text, QList<QKeySequence> keys,
                   void (PlotWindow::*handler)()) {
        auto *action = new QAction(QLatin1String(text), this);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        action->setEnabled(false);
        addAction(action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    m_undo = key("Undo", "Undo", { QKeySequence(Qt::CTRL | Qt::Key_Z) }, &PlotWindow::Undo_Click);
    m_redo = key("Redo", "Redo",
        { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) },
        &PlotWindow::Redo_Click);
    m_zoomBack = key("ZoomBack", "Zoom back one step", { QKeySequence(Qt::Key_Backspace) },
        &PlotWindow::ZoomBack_Click);
}

void PlotWindow::createSuggestMenu()
{
    // After the menus the window always had, which keep their places.
    // Its mnemonic is one that "&Show (X,Y)" does not take.
    m_suggestMenu = m_menuBar->addMenu(QStringLiteral("Su&ggest"));
    m_suggestMenu->setObjectName(QStringLiteral("SuggestMenu"));
    m_suggestMenu->menuAction()->setObjectName(QStringLiteral("SuggestMenu"));
    auto entry = [this](const char *name, const char *caption, const QKeySequence &key,
                     void (PlotWindow::*handler)()) {
        QAction *action = m_suggestMenu->addAction(QLatin1String(caption));
        action->setObjectName(QLatin1String(name));
        if (!key.isEmpty()) {
            action->setShortcut(key);
            action->setStatusTip(
                QStringLiteral("Key: ") + key.toString(QKeySequence::PortableText));
        }
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    m_suggest = entry(
        "Suggest", "Suggest", QKeySequence(Qt::CTRL | Qt::Key_G), &PlotWindow::Suggest_Click);
    m_removeSuggested = entry("RemoveSuggested", "Remove suggested",
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G), &PlotWindow::RemoveSuggested_Click);
    m_clearSuggestions = entry("ClearSuggestions", "Clear suggestions", QKeySequence(),
        &PlotWindow::ClearSuggestions_Click);
    m_suggestMenu->addSeparator();
    m_suggestSettingsEntry = entry("SuggestSettings", "Suggest settings...", QKeySequence(),
        &PlotWindow::SuggestSettings_Click);
    m_removeSuggested->setEnabled(false);
    m_clearSuggestions->setEnabled(false);
}

void PlotWindow::createLnCEntry()
{
    m_lnC = m_menuBar->addAction(QStringLiteral("&ln c vs r\u00b2/2..."));
    m_lnC->setObjectName(QStringLiteral("LnCPlot"));
    m_lnC->setVisible(bool(m_session.ShowLnC));
    connect(m_lnC, &QAction::triggered, this, [this] {
        if (m_session.ShowLnC)
            m_session.ShowLnC(m_session);
    });
}

QToolBar *PlotWindow::toolbar(int which) const
{
    return m_toolbars.at(size_t(which - 1));
}

QAction *PlotWindow::button(int index) const
{
    return m_buttons.at(size_t(index - 1));
}

void PlotWindow::Form_Load()
{
    m_form.TitleFontRatio = PlotConstants::TitleFontRatio;
    m_form.SideFontRatio = PlotConstants::SideFontRatio;
    m_outcome.CommitEdits = false;
    m_interaction.setMode(EditMode::Zoom);
    m_form.XYShown = m_session.ShowXY;

    m_xyCoords->setHidden(!m_form.XYShown);
    m_showEm->setText(showEmCaption(m_form.XYShown));

    const PlotworkLayout layout = LayoutPlotwork(m_platform.screenSize());
    m_xyCoords->setFont(stripFont(layout.stripPoints, true));
    m_xyLabel->setFont(stripFont(layout.stripPoints, false));
    m_outFileLabel->setFont(stripFont(layout.stripPoints, false));
    m_suggestLabel->setFont(stripFont(layout.stripPoints, false));
    const int lineHeight = m_xyLabel->fontMetrics().height();
    m_xyCoords->setFixedHeight(lineHeight + 8);
    m_xyLabel->setGeometry(4, 4, 10, lineHeight);
    m_outFileLabel->setGeometry(4, 4, 10, lineHeight);
    m_suggestLabel->setGeometry(4, 4, 10, lineHeight);
    // The layout is of the outer window, frame included.
    const QRect outer(layout.position, layout.size);
    PlaceByFrame(*this, m_platform.availableArea(), [outer](const QMargins &) { return outer; });

    m_form.PixelWidth = float(m_canvas->width());
    m_form.PixelHeight = float(m_canvas->height());

    m_form.MarkerScale = PlotConstants::MarkerScale;
    LoadPrinterMenu();

    m_toolbars[0]->setHidden(!layout.largeToolbar);
    m_toolbars[1]->setHidden(layout.largeToolbar);
}

void PlotWindow::LoadPrinterMenu()
{
    const QStringList printers = m_platform.printerNames();
    const int current = InitialPrinter(printers, m_session.PrinterName);
    if (current < 0) {
        m_printerMenu->menuAction()->setEnabled(false);
        return;
    }
    for (int k = 1; k <= printers.size(); ++k) {
        // A "&" in a name is shown, not taken for a shortcut.
        QString caption = printers[k - 1];
        auto *item
            = new QAction(caption.replace(QLatin1Char('&'), QStringLiteral("&&")), m_printerMenu);
        item->setObjectName(QStringLiteral("PrnArray"));
        item->setProperty("Index", k);
        item->setCheckable(true);
        m_printerMenu->insertAction(m_printerEnd, item);
        connect(item, &QAction::triggered, this, [this, k] { PrnArray_Click(k); });
        m_printerItems.push_back(item);
    }
    m_printerNames = printers;
    m_printerItems[size_t(current)]->setChecked(true);
    m_currentPrinter = printers[current];
}

void PlotWindow::PrnArray_Click(int index)
{
    // A check mark, not a radio dot: the items form no exclusive group, so
    // the one mark is moved here.
    for (QAction *item : m_printerItems)
        item->setChecked(false);
    m_printerItems[size_t(index - 1)]->setChecked(true);
    m_currentPrinter = m_printerNames[index - 1];
}

void PlotWindow::PrnPlot_Click()
{
    guarded([this] { PrintPlot(m_platform, m_currentPrinter, pictureSize(), pictureDrawer()); });
}

void PlotWindow::ClipPrn_Click()
{
    guarded([this] { CopyPlotToClipboard(m_platform, plotImage()); });
}

void PlotWindow::SaveBMP_Click()
{
    guarded([this] { SavePlotBitmap(m_platform, m_session.WorkDir, plotImage()); });
}

QAction *PlotWindow::fileEntry(PlotFileFormat format) const
{
    return m_toFiles.at(size_t(format));
}

QSize PlotWindow::pictureSize() const
{
    const std::optional<PlotGeometry> &plot = m_canvas->plot();
    return plot ? plot->setup.pixels.toSize() : m_canvas->size();
}

DrawPicture PlotWindow::pictureDrawer()
{
    return [this](QPainter &painter, const QRectF &target) {
        const std::optional<PlotGeometry> &drawn = m_canvas->plot();
        if (drawn)
            RenderPlot(painter, *drawn, target, m_canvas->palette().color(QPalette::Window));
        else
            painter.drawImage(target, plotImage());
    };
}

void PlotWindow::SaveFile_Click(PlotFileFormat format)
{
    guarded([this, format] {
        int dotsPerInch = 96;
        if (format == PlotFileFormat::Png) {
            ResolutionDialog ask(this);
            if (m_platform.execModal(ask) != QDialog::Accepted)
                return;
            dotsPerInch = ask.dotsPerInch();
        }
        SavePlotFile(
            m_platform, m_session.WorkDir, format, pictureSize(), pictureDrawer(), dotsPerInch);
    });
}

void PlotWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The first paint runs once the window is up, so that a warning it
    // shows appears over the plot window, not before it.
    canvasResized();
}

void PlotWindow::canvasResized()
{
    m_interaction.setSurface(m_canvas->surfaceMap());
    if (m_resizeQueued)
        return;
    m_resizeQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_resizeQueued = false;
            if (isVisible() && m_canvas->size() != m_paintedSize)
                Form_Resize();
        },
        Qt::QueuedConnection);
}

void PlotWindow::Form_Resize()
{
    m_form.PixelWidth = float(m_canvas->width());
    m_form.PixelHeight = float(m_canvas->height());
    Form_Paint();
}

void PlotWindow::layoutStrip()
{
    const double outerWidth = frameGeometry().width();
    const int height = m_xyLabel->height();
    m_xyLabel->setGeometry(0, m_xyLabel->y(), RoundEven(outerWidth / 2.0), height);
    m_outFileLabel->setGeometry(RoundEven(outerWidth / 2.0), m_outFileLabel->y(),
        RoundEven(0.95 * outerWidth / 2.0), height);
    // The right half, where no file name is shown in this window.
    m_suggestLabel->setGeometry(m_outFileLabel->geometry());
}

void PlotWindow::warn(const QString &text, const QString &title)
{
    m_warning = true;
    m_platform.messageBox(text, title, MsgStyle::Exclamation);
    m_warning = false;
}

void PlotWindow::Form_Paint()
{
    layoutStrip();
    if (isMinimized())
        return;
    PlotSetup setup;
    setup.pixels = QSizeF(m_canvas->size());
    const QRect outer = frameGeometry();
    setup.outerTwips = double(std::min(outer.width(), outer.height())) * TwipsPerPixel;
    setup.dpi = m_canvas->logicalDpiY();
    setup.markerScale = m_form.MarkerScale;
    setup.titleFontRatio = m_form.TitleFontRatio;
    setup.sideFontRatio = m_form.SideFontRatio;
    PlotGeometry plot;
    try {
        plot = ComputePlotGeometry(m_session, m_numlib, setup);
    } catch (const std::exception &error) {
        if (!m_warning)
            warn(QString::fromLocal8Bit(error.what()), QStringLiteral("Sedora"));
        return;
    }
    m_paintedSize = m_canvas->size();
    m_form.XAxisStart = plot.x.start;
    m_form.XAxisEnd = plot.x.end;
    m_form.XScale = plot.x.scale;
    m_form.YAxisStart = plot.y.start;
    m_form.YAxisEnd = plot.y.end;
    m_form.YScale = plot.y.scale;
    m_form.MarkerBase = plot.markerBase;
    m_interaction.setPlot(plot.map, m_form.markerRadius());
    // Never a second box over an open one: a resize while it is up redraws
    // quietly.
    if (!m_warning) {
        if (plot.x.identical)
            warn(QStringLiteral("WARNING:  All X values are identical."),
                QStringLiteral("Data Error"));
        if (plot.y.identical)
            warn(QStringLiteral("WARNING:  All Y values are identical."),
                QStringLiteral("Data Error"));
    }
    m_canvas->setPlot(std::move(plot));
    updateSuggestRings();
    updateHover();
}

QImage PlotWindow::plotImage()
{
    return m_canvas->plotImage();
}

void PlotWindow::Toolbar_ButtonClick(int index)
{
    switch (index) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
        m_interaction.setMode(EditMode(index));
        m_canvas->setBand(m_interaction.band());
        m_canvas->setCursor(cursorFor(EditMode(index)));
        updateHover();
        break;
    case 7:
        m_outcome.CommitEdits = true;
        close();
        break;
    case 8:
        m_outcome.CommitEdits = false;
        close();
        break;
    default:
        break;
    }
}

void PlotWindow::ShowEm_Click()
{
    m_form.XYShown = !m_form.XYShown;
    m_xyCoords->setVisible(m_form.XYShown);
    m_showEm->setText(showEmCaption(m_form.XYShown));
}

void PlotWindow::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void PlotWindow::Form_Unload()
{
    m_outcome.ShowXY = m_form.XYShown;
    m_outcome.PlotFlag = m_session.PlotFlag;
}

void PlotWindow::Zoomout_Click()
{
    guarded([this] {
        m_history.zoomOut(m_session);
        m_zoomOut->setEnabled(false);
        updateHistoryActions();
        Form_Paint();
    });
}

void PlotWindow::ZoomBack_Click()
{
    guarded([this] {
        if (m_history.zoomBack(m_session))
            applied(EditHistory::StepKind::Range);
    });
}

void PlotWindow::Undo_Click()
{
    guarded([this] { applied(m_history.undo(m_session)); });
}

void PlotWindow::Redo_Click()
{
    guarded([this] { applied(m_history.redo(m_session)); });
}

void PlotWindow::applied(EditHistory::StepKind kind)
{
    updateHistoryActions();
    if (kind == EditHistory::StepKind::Flags) {
        flagsChanged(m_history.touched());
    } else if (kind == EditHistory::StepKind::Range) {
        m_zoomOut->setEnabled(m_history.zoomedIn());
        Form_Paint();
    }
}

void PlotWindow::updateHistoryActions()
{
    m_undo->setEnabled(m_history.canUndo());
    m_redo->setEnabled(m_history.canRedo());
    m_zoomBack->setEnabled(m_history.zoomedIn());
}

void PlotWindow::flagsChanged(const std::vector<int> &points)
{
    const std::optional<PlotGeometry> &drawn = m_canvas->plot();
    // A paint that warned would warn again; a plot of another size is redone.
    if (!drawn || drawn->x.identical || drawn->y.identical || m_canvas->size() != m_paintedSize
        || isMinimized()) {
        Form_Paint();
        return;
    }
    PlotGeometry plot = *drawn;
    PlaceMarkers(plot, m_session);
    std::vector<QPointF> changed;
    changed.reserve(points.size());
    for (int i : points)
        changed.push_back(plot.map.toPlot(m_session.PlotX(i), m_session.PlotY(i)));
    m_canvas->setMarkers(std::move(plot), changed);
    updateSuggestRings();
    updateHover();
}

QString PlotWindow::pointTip(int i) const
{
    QString tip = QStringLiteral("Point %1: x = %2, concentration = %3, flag = %4")
                      .arg(i)
                      .arg(NumberFormat::text(m_session.PlotX(i), NumberFormat::Scientific4),
                          NumberFormat::text(m_session.PlotY(i), NumberFormat::Scientific3),
                          QString::number(double(m_session.PlotFlag(i))));
    if (ringed(i)) {
        QStringList kinds;
        for (int k = 0; k < SuggestKindCount; ++k) {
            if (m_suggestions.at(i).has(SuggestKind(k)))
                kinds << QLatin1String(kindNamed[k]);
        }
        tip += QStringLiteral("\nSuggested: ") + kinds.join(QStringLiteral(", "));
    }
    return tip;
}

void PlotWindow::updateHover()
{
    if (!m_pointer || !m_interaction.hasPlot()) {
        m_canvas->setRing(std::nullopt, QString());
        m_canvas->setSideLine(std::nullopt);
        return;
    }
    // The click's own hit rule: the ring is on the point a click would change.
    const int i = m_interaction.pointAt(*m_pointer, m_session);
    if (i != 0)
        m_canvas->setRing(
            m_interaction.map().toPlot(m_session.PlotX(i), m_session.PlotY(i)), pointTip(i));
    else
        m_canvas->setRing(std::nullopt, QString());
    m_canvas->setSideLine(m_interaction.sideAt(*m_pointer));
}

bool PlotWindow::confirmDiscard()
{
    const int changed = ChangedPoints(m_session, m_openFlags);
    if (changed == 0)
        return true;
    const QString text = changed == 1
        ? QStringLiteral("Discard the change to 1 point?")
        : QStringLiteral("Discard the changes to %1 points?").arg(changed);
    return m_platform.messageBox(
               text, QStringLiteral("Discard Edit"), MsgStyle::YesNo | MsgStyle::Question)
        == MsgAnswer::Yes;
}

void PlotWindow::reject()
{
    if (!m_outcome.CommitEdits && !confirmDiscard())
        return;
    QDialog::reject();
}

void PlotWindow::guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        m_platform.messageBox(
            QString::fromLocal8Bit(error.what()), QStringLiteral("Sedora"), MsgStyle::Exclamation);
    }
}

void PlotWindow::Form_MouseDown(QPointF pixel, MouseButton button, ShiftState shift)
{
    guarded([&] {
        const PlotAction action = m_interaction.press(pixel, button, shift, m_session);
        switch (action.kind) {
        case PlotAction::Kind::EditPoint:
            m_history.editPoint(m_session, action.point, action.change);
            updateHistoryActions();
            // Redrawn also when the flag stayed, as every click redraws.
            flagsChanged(m_history.touched());
            break;
        case PlotAction::Kind::EditSide:
            editSide(action);
            break;
        default:
            break;
        }
    });
}

void PlotWindow::editSide(const PlotAction &edit)
{
    if (!m_history.editSide(m_session, edit.xc, edit.left, edit.change)) {
        m_platform.messageBox(QStringLiteral("Error Editing Data! This would remove all data."),
            QStringLiteral("Invalid Operation"), MsgStyle::OkOnly);
        return;
    }
    updateHistoryActions();
    flagsChanged(m_history.touched());
}

void PlotWindow::Form_MouseMove(QPointF pixel)
{
    // Until the first paint there are no axes to read the position against.
    if (!m_interaction.hasPlot())
        return;
    if (m_form.XYShown) {
        const QPointF data = m_interaction.toData(pixel);
        m_xyLabel->setText(QStringLiteral(" X= ")
            + NumberFormat::text(float(data.x()), NumberFormat::Scientific4)
            + QStringLiteral(", Y= ")
            + NumberFormat::text(float(data.y()), NumberFormat::Scientific3));
    }
    if (m_interaction.move(pixel))
        m_canvas->setBand(m_interaction.band());
    m_pointer = pixel;
    updateHover();
}

void PlotWindow::Form_MouseUp(QPointF, MouseButton button, ShiftState shift)
{
    const bool dragging = m_interaction.box().BoxDragging;
    const PlotAction action = m_interaction.release(button, shift);
    if (dragging && !m_interaction.box().BoxDragging)
        m_canvas->setBand(std::nullopt);
    if (action.kind == PlotAction::Kind::Zoom)
        guarded([&] { tryZoom(action.zoom); });
}

void PlotWindow::tryZoom(const DataBox &box)
{
    const ZoomOutcome outcome = m_history.zoomInto(m_session, box);
    updateHistoryActions();
    if (outcome == ZoomOutcome::NoPoints)
        m_platform.messageBox(QStringLiteral("There Were No Data Within the Zoom-In Box!"),
            QStringLiteral("Error in Zooming"), MsgStyle::Exclamation);
    else if (outcome == ZoomOutcome::SinglePoint)
        m_platform.messageBox(QStringLiteral("You CANNOT Zoom Around a Single Point!"),
            QStringLiteral("Error in Zooming"), MsgStyle::Exclamation);
    else
        m_zoomOut->setEnabled(true);
    Form_Paint();
}

bool PlotWindow::ringed(int i) const
{
    // The marks stay on their point numbers through edits, undo and zoom; a
    // point the user has removed is no candidate any more, so it loses its
    // ring, and gets it back when it is restored.
    return i >= 1 && i <= int(m_suggestions.kinds.size()) && m_suggestions.at(i).any()
        && m_session.PlotFlag(i) > 0.0f;
}

std::vector<int> PlotWindow::ringedPoints() const
{
    std::vector<int> points;
    for (int i = 1; i <= int(m_suggestions.kinds.size()); ++i) {
        if (ringed(i))
            points.push_back(i);
    }
    return points;
}

void PlotWindow::updateSuggestRings()
{
    const std::vector<int> points = ringedPoints();
    std::vector<QPointF> centres;
    const std::optional<PlotGeometry> &plot = m_canvas->plot();
    for (int i : points) {
        const float x = m_session.PlotX(i);
        const float y = m_session.PlotY(i);
        if (plot && ShowsPoint(*plot, x, y))
            centres.push_back(plot->map.toPlot(x, y));
    }
    m_canvas->setSuggestRings(std::move(centres));
    // Removing, undoing and redoing change what is still suggested.
    if (!m_suggestions.kinds.empty())
        m_suggestLabel->setText(suggestCounts(m_suggestions, points));
    m_removeSuggested->setEnabled(!points.empty());
    m_clearSuggestions->setEnabled(m_suggestions.points > 0);
}

void PlotWindow::Suggest_Click()
{
    guarded([this] {
        // Detection runs here only, never on a paint: the marks are kept.
        m_suggestions = SuggestBadPoints(ScanPointsOf(m_session), m_suggestSettings);
        updateSuggestRings();
        updateHover();
    });
}

void PlotWindow::RemoveSuggested_Click()
{
    guarded([this] {
        const std::vector<int> points = ringedPoints();
        if (points.empty())
            return;
        if (!m_history.editPoints(m_session, points, FlagChange::Remove)) {
            m_platform.messageBox(QStringLiteral("Error Editing Data! This would remove all data."),
                QStringLiteral("Invalid Operation"), MsgStyle::OkOnly);
            return;
        }
        updateHistoryActions();
        flagsChanged(m_history.touched());
    });
}

void PlotWindow::ClearSuggestions_Click()
{
    m_suggestions = Suggestions();
    m_suggestLabel->clear();
    updateSuggestRings();
    updateHover();
}

void PlotWindow::SuggestSettings_Click()
{
    guarded([this] {
        SuggestDialog ask(m_suggestSettings, m_platform, this);
        if (m_platform.execModal(ask) == QDialog::Accepted)
            m_suggestSettings = ask.settings();
    });
}
