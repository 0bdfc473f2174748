#include "editor/PlotWindow.h"

#include "editor/PlotCanvas.h"
#include "editor/PlotGeometry.h"
#include "editor/PlotOutput.h"
#include "editor/PlotRender.h"
#include "editor/PointEditing.h"
#include "editor/ToolbarIcons.h"
#include "editor/Zoom.h"
#include "shell/AppContext.h"
#include "shell/NumberFormat.h"
#include "shell/Platform.h"
#include "shell/ProgramState.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>
#include <QVBoxLayout>

#include <exception>

namespace
{

struct ButtonSpec {
    const char *name;
    const char *tip;
    int picture; // 0: the separator
};

const ButtonSpec buttonSpecs[PlotWindow::ButtonCount] = {
    { "Zoom", "Zoom Using LMB", 1 },
    { "RemovePoint", "Remove point at Cursor", 2 },
    { "RemoveSide", "Remove points to left or right with LMB or RMB", 3 },
    { "RestorePoint", "Restore point at the cursor", 4 },
    { "RestoreSide", "Restore points to left or right with LMB or RMB", 5 },
    { "Separator", "", 0 },
    { "ExitUpdate", "Exit and update data set", 6 },
    { "ExitDiscard", "Discard edit, then exit", 7 },
};

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

int twipsToPixels(double twips)
{
    return RoundEven(twips / TwipsPerPixel);
}

} // namespace

PlotWindow::PlotWindow(AppContext &app, QWidget *parent)
    : QDialog(parent)
    , m_app(app)
{
    setObjectName(QStringLiteral("Plotwork"));
    setWindowTitle(QStringLiteral("Sedora"));
    setSizeGripEnabled(true);
    m_canvas = new PlotCanvas(this);
    createMenus();
    createToolbars();
    createStrip();

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
    Form_Load();
}

PlotWindow::~PlotWindow() = default;

void PlotWindow::createMenus()
{
    m_menuBar = new QMenuBar(this);
    m_zoomOut = m_menuBar->addAction(QStringLiteral("&ZoomOut"));
    m_zoomOut->setObjectName(QStringLiteral("Zoomout"));
    m_zoomOut->setEnabled(false);
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
    m_printerGroup = new QActionGroup(this);
    m_printerGroup->setExclusive(true);
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
            if (QWidget *widget = bar->widgetForAction(action); widget && !action->isSeparator())
                widget->setAccessibleName(action->toolTip());
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
    ProgramState &s = m_app.state;
    m_form.TitleFontRatio = 0.0014f;
    m_form.SideFontRatio = 0.0024f;
    s.CommitEdits = false;
    m_form.EditMode = 1;
    m_form.XYShown = s.ShowXY;

    m_xyCoords->setHidden(!m_form.XYShown);
    m_showEm->setText(showEmCaption(m_form.XYShown));

    const QSize screen = m_app.platform.screenSize();
    const double screenWidth = double(screen.width()) * TwipsPerPixel;
    const double screenHeight = double(screen.height()) * TwipsPerPixel;
    double width = 0.64 * screenWidth;
    double height = 0.8 * screenHeight;
    double stripPoints = 9.75;
    if (screenWidth / TwipsPerPixel > 640) {
        stripPoints = 8;
        width = 0.52 * screenWidth;
        height = 0.65 * screenHeight;
    }
    m_xyCoords->setFont(stripFont(stripPoints, true));
    m_xyLabel->setFont(stripFont(stripPoints, false));
    m_outFileLabel->setFont(stripFont(stripPoints, false));
    const int lineHeight = m_xyLabel->fontMetrics().height();
    m_xyCoords->setFixedHeight(lineHeight + 8);
    m_xyLabel->setGeometry(4, 4, 10, lineHeight);
    m_outFileLabel->setGeometry(4, 4, 10, lineHeight);
    resize(twipsToPixels(width), twipsToPixels(height));

    m_form.PixelWidth = float(m_canvas->width());
    m_form.PixelHeight = float(m_canvas->height());

    const double left = (screenWidth - double(this->width()) * TwipsPerPixel) / 2.0;
    const double top
        = (screenHeight - double(this->height()) * TwipsPerPixel) / 2.0 - 0.03 * screenHeight;
    move(twipsToPixels(left), twipsToPixels(top));

    m_form.MarkerScale = 1.5f;
    LoadPrinterMenu();

    const bool large = screenWidth / TwipsPerPixel > 800;
    m_toolbars[0]->setHidden(!large);
    m_toolbars[1]->setHidden(large);
}

void PlotWindow::LoadPrinterMenu()
{
    const QStringList printers = m_app.platform.printerNames();
    const int current = InitialPrinter(printers, m_app.state.PrinterName);
    if (current < 0) {
        m_printerMenu->menuAction()->setEnabled(false);
        return;
    }
    for (int k = 1; k <= printers.size(); ++k) {
        // A "&" in a name is shown, not taken for a shortcut.
        QString caption = printers[k - 1];
        auto *item
            = new QAction(caption.replace(QLatin1Char('&'), QStringLiteral("&&")), m_printerGroup);
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
    m_printerItems[size_t(index - 1)]->setChecked(true);
    m_currentPrinter = m_printerNames[index - 1];
}

void PlotWindow::PrnPlot_Click()
{
    guarded([this] {
        const std::optional<PlotGeometry> &plot = m_canvas->plot();
        const QSize picture = plot ? plot->setup.pixels.toSize() : m_canvas->size();
        PrintPlot(
            m_app, m_currentPrinter, picture, [this](QPainter &painter, const QRectF &target) {
                const std::optional<PlotGeometry> &drawn = m_canvas->plot();
                if (drawn)
                    RenderPlot(
                        painter, *drawn, target, m_canvas->palette().color(QPalette::Window));
                else
                    painter.drawImage(target, plotImage());
            });
    });
}

void PlotWindow::ClipPrn_Click()
{
    guarded([this] { CopyPlotToClipboard(m_app, plotImage()); });
}

void PlotWindow::SaveBMP_Click()
{
    guarded([this] { SavePlotBitmap(m_app, plotImage()); });
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
}

void PlotWindow::warn(const QString &text, const QString &title)
{
    m_warning = true;
    m_app.platform.messageBox(text, title, MsgStyle::Exclamation);
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
        plot = ComputePlotGeometry(m_app.state, m_app.numlib, setup);
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
        m_form.EditMode = int16_t(index);
        if (index != 1 && m_form.BoxDragging) {
            // A zoom box left open by a release with a modifier ends with the mode.
            m_form.BoxDragging = false;
            m_form.BoxFresh = true;
            m_canvas->setBand(std::nullopt);
        }
        break;
    case 7:
        m_app.state.CommitEdits = true;
        close();
        break;
    case 8:
        m_app.state.CommitEdits = false;
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
    m_app.state.ShowXY = m_form.XYShown;
}

void PlotWindow::Zoomout_Click()
{
    guarded([this] {
        ProgramState &s = m_app.state;
        PlotRange(s, s.PlotX, s.PlotY, s.PlotCount);
        m_zoomOut->setEnabled(false);
        Form_Paint();
    });
}

void PlotWindow::guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        m_app.platform.messageBox(
            QString::fromLocal8Bit(error.what()), QStringLiteral("Sedora"), MsgStyle::Exclamation);
    }
}

void PlotWindow::Form_MouseDown(int button, int shift, float x, float y)
{
    // Until the first paint there are no axes to read the position against.
    if (shift != 0 || !m_canvas->plot())
        return;
    guarded([&] {
        switch (m_form.EditMode) {
        case 1:
            if (button == PlotCanvas::LeftButton) {
                m_form.BoxDragging = true;
                m_form.BoxFresh = true;
                m_form.BoxX1 = m_form.BoxX2 = x;
                m_form.BoxY1 = m_form.BoxY2 = y;
            }
            break;
        case 2:
        case 4:
            if (button == PlotCanvas::LeftButton)
                editPointAtCursor(x, y);
            break;
        case 3:
        case 5:
            if (button == PlotCanvas::LeftButton || button == PlotCanvas::RightButton)
                editSide(button, x);
            break;
        default:
            break;
        }
    });
}

void PlotWindow::editPointAtCursor(float x, float y)
{
    ProgramState &s = m_app.state;
    const PlotMap map(m_form.XAxisStart, m_form.XScale, m_form.YAxisStart, m_form.YScale);
    const int i = PointAtCursor(s, map, x, y, m_form.markerRadius());
    if (i == 0)
        return;
    ChangeFlag(s, i, m_form.EditMode == 2 ? FlagChange::Remove : FlagChange::Restore);
    Form_Paint();
}

void PlotWindow::editSide(int button, float x)
{
    const float xc = x / m_form.XScale + m_form.XAxisStart;
    const FlagChange change = m_form.EditMode == 3 ? FlagChange::Remove : FlagChange::Restore;
    if (!ChangeSide(m_app.state, xc, button == PlotCanvas::LeftButton, change)) {
        m_app.platform.messageBox(QStringLiteral("Error Editing Data! This would remove all data."),
            QStringLiteral("Invalid Operation"), MsgStyle::OkOnly);
        return;
    }
    Form_Paint();
}

void PlotWindow::Form_MouseMove(int, int, float x, float y)
{
    if (!m_canvas->plot())
        return;
    if (m_form.XYShown) {
        const float dataX = x / m_form.XScale + m_form.XAxisStart;
        const float dataY = y / m_form.YScale + m_form.YAxisStart;
        m_xyLabel->setText(QStringLiteral(" X= ")
            + NumberFormat::text(dataX, NumberFormat::Scientific4) + QStringLiteral(", Y= ")
            + NumberFormat::text(dataY, NumberFormat::Scientific3));
    }
    if (m_form.BoxDragging && m_form.EditMode == 1) {
        m_form.BoxFresh = false;
        m_form.BoxX2 = x;
        m_form.BoxY2 = y;
        showBand();
    }
}

void PlotWindow::showBand()
{
    m_canvas->setBand(
        QRectF(QPointF(m_form.BoxX1, m_form.BoxY1), QPointF(m_form.BoxX2, m_form.BoxY2)));
}

void PlotWindow::Form_MouseUp(int button, int shift, float, float)
{
    // Only a plain left release ends the drag; the box follows the pointer
    // until then.
    if (m_form.EditMode != 1 || button != PlotCanvas::LeftButton || shift != 0
        || !m_form.BoxDragging)
        return;
    m_canvas->setBand(std::nullopt);
    m_form.BoxFresh = true;
    m_form.BoxDragging = false;
    if (m_form.BoxX1 != m_form.BoxX2 && m_form.BoxY1 != m_form.BoxY2)
        guarded([this] { tryZoom(); });
}

void PlotWindow::tryZoom()
{
    const ZoomOutcome outcome = ZoomIn(m_app.state, m_form);
    if (outcome == ZoomOutcome::NoBox)
        return;
    m_form.BoxX1 = m_form.BoxY1 = m_form.BoxX2 = m_form.BoxY2 = 0.0f;
    if (outcome == ZoomOutcome::NoPoints)
        m_app.platform.messageBox(QStringLiteral("There Were No Data Within the Zoom-In Box!"),
            QStringLiteral("Error in Zooming"), MsgStyle::Exclamation);
    else if (outcome == ZoomOutcome::SinglePoint)
        m_app.platform.messageBox(QStringLiteral("You CANNOT Zoom Around a Single Point!"),
            QStringLiteral("Error in Zooming"), MsgStyle::Exclamation);
    else
        m_zoomOut->setEnabled(true);
    Form_Paint();
}
