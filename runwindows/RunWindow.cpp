// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/RunWindow.h"

#include "base/Platform.h"
#include "editor/PlotOutput.h"
#include "runs/Buoyancy.h"
#include "runs/ChannelPlan.h"
#include "runs/EquilibriumSave.h"
#include "runs/GroupEdits.h"
#include "runs/LimitsFile.h"
#include "runs/RunEdits.h"
#include "runs/RunReport.h"
#include "runs/ScanEdits.h"
#include "runs/Verdict.h"
#include "runwindows/ApplyRangeDialog.h"
#include "runwindows/CheckSettingsDialog.h"
#include "runwindows/ColumnDialog.h"
#include "runwindows/LimitsLoad.h"
#include "runwindows/LnCDialog.h"
#include "runwindows/Overlay.h"
#include "runwindows/RangeChartView.h"
#include "runwindows/RunExport.h"
#include "runwindows/RunFilterModel.h"
#include "runwindows/RunPlots.h"
#include "runwindows/RunTableModel.h"
#include "runwindows/RunTree.h"
#include "runwindows/SaveAsked.h"
#include "runwindows/SaveSelectedDialog.h"
#include "runwindows/SplitChannelsDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelection>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <set>

namespace
{

// What a scan was saved as: a later edit changes it, an undo back to what
// was saved does not.
size_t SavedState(const Scan &scan)
{
    size_t seed = qHash(scan.column);
    for (int i = 0; i < scan.numPoints; ++i)
        seed = qHashMulti(seed, scan.flag(i));
    return seed;
}

// The options with the remembered v-bar and rho, unless they were given.
RunOptions withBuoyancy(RunOptions options, Platform &platform)
{
    if (!options.buoyancyGiven) {
        const Buoyancy pair = RememberedBuoyancy(platform.settingsFilePath());
        options.vbar = pair.vbar;
        options.density = pair.density;
    }
    return options;
}

QComboBox *filterBox(const char *name, const QString &caption, QHBoxLayout *row)
{
    auto *label = new QLabel(caption);
    auto *box = new QComboBox;
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(QString(caption).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    label->setBuddy(box);
    row->addWidget(label);
    row->addWidget(box);
    return box;
}

} // namespace

RunWindow::RunWindow(
    Platform &platform, Run run, const RunOptions &options, OpenScan openScan, QWidget *parent)
    : QMainWindow(parent, Qt::Window)
    , m_platform(platform)
    , m_run(std::move(run))
    , m_edits(std::make_unique<RunEdits>(m_run))
    , m_analysis(AnalyseRun(m_run, withBuoyancy(options, platform)))
    , m_open(std::move(openScan))
    , m_saveBase(FolderBesideRun(m_run))
{
    setObjectName(QStringLiteral("RunWindow"));
    setWindowTitle(QStringLiteral("Run - ") + m_run.title);
    m_edits->startLimits(m_analysis.options.limits);
    m_savedLimits = m_analysis.options.limits;
    m_tableModel = std::make_unique<RunTableModel>(m_run, m_analysis);
    m_filter = std::make_unique<RunFilterModel>(m_run);
    m_filter->setSourceModel(m_tableModel.get());
    m_treeModel = std::make_unique<RunTreeModel>(m_run);
    m_treeModel->rebuild(m_analysis);
    createMenus();
    createWidgets();
    fillFilters();
    showStatus();
    const QRect screen = m_platform.availableArea();
    resize(std::min(1600, screen.width() * 9 / 10), std::min(1100, screen.height() * 9 / 10));
    if (!m_analysis.groups.groups.empty())
        chooseGroup(0);
}

RunWindow::~RunWindow()
{
    // The views go before the models they show.
    delete centralWidget();
}

void RunWindow::createMenus()
{
    auto action = [this](QMenu *menu, const char *name, const QString &caption) {
        auto *a = new QAction(caption, this);
        a->setObjectName(QLatin1String(name));
        menu->addAction(a);
        return a;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    m_exportTable = action(file, "ExportTable", QStringLiteral("Export &Table..."));
    QMenu *plot = file->addMenu(QStringLiteral("Export &Plot"));
    m_exportPlot[size_t(PlotFileFormat::Png)]
        = action(plot, "ExportPlotPng", QStringLiteral("As &PNG..."));
    m_exportPlot[size_t(PlotFileFormat::Svg)]
        = action(plot, "ExportPlotSvg", QStringLiteral("As &SVG..."));
    m_exportPlot[size_t(PlotFileFormat::Pdf)]
        = action(plot, "ExportPlotPdf", QStringLiteral("As P&DF..."));
    file->addSeparator();
    m_saveSelected = action(file, "SaveSelected", QStringLiteral("&Save Selected..."));
    m_saveSelected->setShortcut(QKeySequence::Save);
    m_saveSelected->setToolTip(
        QStringLiteral("Save the chosen scans, as edited, for the fitting program"));
    m_saveEquilibrium
        = action(file, "SaveEquilibrium", QStringLiteral("Save &Equilibrium Scans..."));
    m_saveEquilibrium->setToolTip(QStringLiteral(
        "Save the last scan of every setting at equilibrium, within its column, for the fitting "
        "program"));
    connect(m_saveEquilibrium, &QAction::triggered, this, &RunWindow::saveEquilibrium);
    m_saveLimits = action(file, "SaveLimits", QStringLiteral("Save &Limits..."));
    m_saveLimits->setToolTip(
        QStringLiteral("Save every setting's solution column, found or set by hand, as CSV"));
    m_loadLimits = action(file, "LoadLimits", QStringLiteral("L&oad Limits..."));
    m_loadLimits->setToolTip(QStringLiteral("Set the solution columns from a saved limits file"));
    connect(m_saveLimits, &QAction::triggered, this, &RunWindow::saveLimits);
    connect(m_loadLimits, &QAction::triggered, this, &RunWindow::loadLimits);
    file->addSeparator();
    QAction *close = action(file, "CloseRun", QStringLiteral("&Close"));
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_undo = action(edit, "Undo", QStringLiteral("&Undo"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo = action(edit, "Redo", QStringLiteral("&Redo"));
    m_redo->setShortcuts(
        { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) });
    edit->addSeparator();
    m_applyRange = action(edit, "ApplyRange", QStringLiteral("Apply &Range..."));
    m_applyRange->setToolTip(
        QStringLiteral("Remove the points outside a range in the chosen scans"));
    m_removeSuggested = action(edit, "RemoveSuggested", QStringLiteral("Remove &Suggested"));
    m_removeSuggested->setToolTip(
        QStringLiteral("Remove the points the editor's Suggest finds in the chosen scans"));
    m_splitChannels = action(edit, "SplitChannels", QStringLiteral("Split &Channels..."));
    m_splitChannels->setToolTip(
        QStringLiteral("Split the scans of the chosen scans' cells into their sample columns"));
    m_removeSuggestedWithin
        = action(edit, "RemoveSuggestedWithin", QStringLiteral("Remove Suggested &Within Column"));
    m_removeSuggestedWithin->setToolTip(QStringLiteral(
        "Remove the points Suggest finds between the fit limits of the chosen scans' columns"));

    QMenu *scan = menuBar()->addMenu(QStringLiteral("&Scan"));
    m_openScanAction = action(scan, "OpenScan", QStringLiteral("&Open in Editor"));
    m_openScanAction->setShortcuts({ QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter) });
    m_openScanAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_lnC = action(scan, "ScanLnC", QStringLiteral("&ln c vs r\u00b2/2..."));

    QMenu *check = menuBar()->addMenu(QStringLiteral("&Check"));
    m_checkSettings = action(check, "CheckSettings", QStringLiteral("&Settings..."));
    m_clearRange = action(check, "ClearRange", QStringLiteral("Clear &Range"));
    m_clearRange->setToolTip(
        QStringLiteral("Compare each pair of scans over its own overlap again"));
    m_column = action(check, "Column", QStringLiteral("C&olumn..."));
    m_column->setToolTip(QStringLiteral("Set the chosen setting's solution column by hand"));
    m_resetColumn = action(check, "ResetColumn", QStringLiteral("Reset Col&umn"));
    m_resetColumn->setToolTip(QStringLiteral("The chosen setting's column as found in its scans"));
    connect(m_column, &QAction::triggered, this, &RunWindow::editColumn);
    connect(m_resetColumn, &QAction::triggered, this, &RunWindow::resetColumn);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    m_resetZoom = action(view, "ResetZoom", QStringLiteral("&Reset Zoom"));
    m_resetZoom->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    view->addSeparator();
    // The lower plot, from the keyboard too.
    QAction *differences = action(view, "ShowDifferences", QStringLiteral("&Differences"));
    QAction *scores = action(view, "ShowScores", QStringLiteral("S&cores"));
    differences->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    scores->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
    connect(differences, &QAction::triggered, this,
        [this] { m_plots->lowerTabs()->setCurrentIndex(0); });
    connect(
        scores, &QAction::triggered, this, [this] { m_plots->lowerTabs()->setCurrentIndex(1); });
    view->addSeparator();
    m_showEverything = action(view, "ShowEverything", QStringLiteral("Show &Everything"));
    m_showEverything->setCheckable(true);
    m_showEverything->setToolTip(QStringLiteral(
        "Fit the axes to every point, spikes and points left out of the check included"));
    connect(m_showEverything, &QAction::toggled, this,
        [this](bool everything) { m_plots->setShowEverything(everything); });

    connect(m_exportTable, &QAction::triggered, this, &RunWindow::exportTable);
    for (int format = 0; format < 3; ++format) {
        connect(m_exportPlot[size_t(format)], &QAction::triggered, this,
            [this, format] { exportPlot(format); });
    }
    connect(m_openScanAction, &QAction::triggered, this, &RunWindow::openCurrentScan);
    connect(m_resetZoom, &QAction::triggered, this, [this] { m_plots->resetZoom(); });
    connect(m_checkSettings, &QAction::triggered, this, &RunWindow::checkSettings);
    connect(m_lnC, &QAction::triggered, this, &RunWindow::showLnC);
    connect(m_undo, &QAction::triggered, this, &RunWindow::undoStep);
    connect(m_redo, &QAction::triggered, this, &RunWindow::redoStep);
    connect(m_applyRange, &QAction::triggered, this, &RunWindow::applyRange);
    connect(m_removeSuggested, &QAction::triggered, this, [this] { removeSuggested(false); });
    connect(m_removeSuggestedWithin, &QAction::triggered, this, [this] { removeSuggested(true); });
    connect(m_splitChannels, &QAction::triggered, this, &RunWindow::splitChannels);
    connect(m_saveSelected, &QAction::triggered, this, &RunWindow::saveSelected);
    showUndoState();
    connect(m_clearRange, &QAction::triggered, this, [this] {
        RunOptions options = m_analysis.options;
        options.from.reset();
        options.to.reset();
        setOptions(options);
    });
}

void RunWindow::createWidgets()
{
    m_tree = new QTreeView;
    m_tree->setObjectName(QStringLiteral("GroupTree"));
    m_tree->setAccessibleName(QStringLiteral("Groups"));
    m_tree->setModel(m_treeModel.get());
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->expandAll();
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    m_failures = new QPlainTextEdit;
    m_failures->setObjectName(QStringLiteral("NotRead"));
    m_failures->setAccessibleName(QStringLiteral("Files not read"));
    m_failures->setReadOnly(true);
    QStringList lines;
    for (const ReadFailure &failure : m_run.failures)
        lines << failure.path + QStringLiteral(": ") + failure.reason;
    m_failures->setPlainText(lines.join(QLatin1Char('\n')));
    auto *failuresLabel = new QLabel(QStringLiteral("Not read (%1):").arg(m_run.failures.size()));
    auto *failuresBox = new QWidget;
    auto *failuresLayout = new QVBoxLayout(failuresBox);
    failuresLayout->setContentsMargins(0, 0, 0, 0);
    failuresLayout->addWidget(failuresLabel);
    failuresLayout->addWidget(m_failures);
    failuresBox->setVisible(!m_run.failures.empty());

    auto *left = new QSplitter(Qt::Vertical);
    left->addWidget(m_tree);
    left->addWidget(failuresBox);
    left->setStretchFactor(0, 4);
    left->setStretchFactor(1, 1);

    auto *filters = new QHBoxLayout;
    m_cellFilter = filterBox("CellFilter", QStringLiteral("Ce&ll:"), filters);
    m_typeFilter = filterBox("TypeFilter", QStringLiteral("T&ype:"), filters);
    m_speedFilter = filterBox("SpeedFilter", QStringLiteral("S&peed:"), filters);
    m_bandFilter = filterBox("WavelengthFilter", QStringLiteral("&Wavelength:"), filters);
    filters->addStretch(1);

    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("ScanTable"));
    m_table->setAccessibleName(QStringLiteral("Scans"));
    m_table->setModel(m_filter.get());
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->verticalHeader()->hide();
    // Wide enough for what the first rows hold, without measuring them all.
    m_table->horizontalHeader()->setResizeContentsPrecision(64);
    m_table->resizeColumnsToContents();
    fitColumns();
    m_table->addAction(m_openScanAction);
    connect(m_table, &QTableView::doubleClicked, this, &RunWindow::openCurrentScan);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &RunWindow::tableChosen);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
        &RunWindow::treeChosen);
    // A click on the node already current chooses its scans again.
    connect(m_tree, &QTreeView::clicked, this, &RunWindow::treeChosen);

    auto *tableBox = new QWidget;
    auto *tableLayout = new QVBoxLayout(tableBox);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tableLayout->addLayout(filters);
    tableLayout->addWidget(m_table);

    m_plots = new RunPlots;
    connect(m_plots, &RunPlots::rangeChosen, this, [this](double from, double to) {
        RunOptions options = m_analysis.options;
        options.from = from;
        options.to = to;
        setOptions(options);
    });
    connect(m_plots, &RunPlots::offsetsToggled, this, &RunWindow::plotChosen);
    connect(m_plots->overlayView(), &RangeChartView::columnMoved, this, &RunWindow::columnMoved);
    m_verdict = new QLabel;
    m_verdict->setObjectName(QStringLiteral("Verdict"));
    m_verdict->setAccessibleName(QStringLiteral("Equilibrium verdict"));
    m_verdict->setWordWrap(true);
    m_verdict->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *plotBox = new QWidget;
    auto *plotLayout = new QVBoxLayout(plotBox);
    plotLayout->setContentsMargins(0, 0, 0, 0);
    plotLayout->addWidget(m_verdict);
    plotLayout->addWidget(m_plots, 1);
    auto *right = new QSplitter(Qt::Vertical);
    right->addWidget(tableBox);
    right->addWidget(plotBox);
    right->setStretchFactor(0, 2);
    right->setStretchFactor(1, 3);
    right->setSizes({ 1000, 3000 });

    auto *split = new QSplitter(Qt::Horizontal);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 3);
    setCentralWidget(split);
    split->setSizes({ 300, 800 });
}

void RunWindow::fillFilters()
{
    std::set<int> cells;
    std::set<char> types;
    std::set<int> speeds;
    std::vector<double> wavelengths;
    for (const Scan &scan : m_run.scans) {
        if (!scan.header)
            continue;
        cells.insert(scan.header->cell);
        types.insert(scan.header->type);
        speeds.insert(scan.header->speed);
        wavelengths.push_back(scan.header->wavelength);
    }
    const QString all = QStringLiteral("All");
    m_cellFilter->addItem(all);
    for (int cell : cells)
        m_cellFilter->addItem(QString::number(cell), cell);
    m_typeFilter->addItem(all);
    for (char type : types)
        m_typeFilter->addItem(
            QStringLiteral("%1 (%2)").arg(QLatin1Char(type)).arg(QLatin1String(ScanTypeName(type))),
            int(type));
    m_speedFilter->addItem(all);
    for (int speed : speeds)
        m_speedFilter->addItem(QStringLiteral("%1 rpm").arg(speed), speed);
    m_bandFilter->addItem(all);
    for (const WavelengthBand &band : ChainWavelengths(wavelengths))
        m_bandFilter->addItem(
            BandText(band), QVariant::fromValue(QPointF(band.lowest, band.highest)));
    for (QComboBox *box : { m_cellFilter, m_typeFilter, m_speedFilter, m_bandFilter })
        connect(box, &QComboBox::currentIndexChanged, this, &RunWindow::applyFilters);
}

void RunWindow::applyFilters()
{
    const auto chosenInt = [](QComboBox *box) -> std::optional<int> {
        if (box->currentIndex() <= 0)
            return std::nullopt;
        return box->currentData().toInt();
    };
    m_filter->setCell(chosenInt(m_cellFilter));
    const std::optional<int> type = chosenInt(m_typeFilter);
    m_filter->setType(type ? std::optional<char>(char(*type)) : std::nullopt);
    m_filter->setSpeed(chosenInt(m_speedFilter));
    if (m_bandFilter->currentIndex() <= 0) {
        m_filter->setBand(std::nullopt);
    } else {
        const QPointF band = m_bandFilter->currentData().toPointF();
        m_filter->setBand(WavelengthBand { band.x(), band.y() });
    }
    showStatus();
}

void RunWindow::choose(const std::vector<int> &scans)
{
    m_chosen = scans;
    plotChosen();
    selectRows(scans);
}

void RunWindow::plotChosen()
{
    m_plots->setOverlay(
        BuildOverlay(m_run, m_analysis, m_chosen, m_plots->offsetBox()->isChecked()));
    m_plots->setCheckRange(m_analysis.options.from, m_analysis.options.to);
    const int group = chosenGroup();
    m_plots->overlayView()->setColumn(
        group >= 0 ? m_analysis.columns[size_t(group)] : std::optional<SolutionColumn>());
    showVerdict();
    showStatus();
    showUndoState();
}

int RunWindow::chosenGroup() const
{
    int group = -1;
    for (int scan : m_chosen) {
        const int of = m_analysis.groups.groupOf[size_t(scan)];
        if (of < 0 || (group >= 0 && of != group))
            return -2;
        group = of;
    }
    return group;
}

void RunWindow::showVerdict()
{
    // The verdict of the one group the chosen scans belong to.
    const int group = chosenGroup();
    if (group < 0) {
        m_verdict->setText(group == -1
                ? QString()
                : QStringLiteral("Choose one setting for its equilibrium check."));
        return;
    }
    const ScanGroup &chosen = m_analysis.groups.groups[size_t(group)];
    // Which experiment, when the run holds several.
    const QString where = m_analysis.groups.experiments.size() > 1
        ? m_analysis.groups.experiments[size_t(chosen.experiment)].name + QStringLiteral(", ")
        : QString();
    QString text
        = where + GroupText(chosen) + QStringLiteral(": ") + VerdictText(m_run, m_analysis, group);
    const std::optional<SolutionColumn> &column = m_analysis.columns[size_t(group)];
    if (!column) {
        text += QStringLiteral(" No solution column found: the trimmed range is used.");
    } else if (column->byHand) {
        text += QStringLiteral(" Column set by hand: %1-%2 cm, fitted over %3-%4 cm.")
                    .arg(column->meniscus, 0, 'f', 4)
                    .arg(column->bottom, 0, 'f', 4)
                    .arg(column->inner, 0, 'f', 4)
                    .arg(column->outer, 0, 'f', 4);
    }
    m_verdict->setText(text);
}

void RunWindow::setOptions(const RunOptions &options)
{
    // The group in the tree is chosen again once the tree is rebuilt.
    const QVariant current
        = m_tree->currentIndex().siblingAtColumn(0).data(RunTreeModel::GroupRole);
    const int group = current.isValid() ? current.toInt() : -1;
    const std::vector<int> chosen = m_chosen;
    RunOptions kept = options;
    kept.limits = m_edits->limits(); // the columns belong to the history
    m_analysis = AnalyseRun(m_run, kept);
    m_updating = true;
    m_tableModel->analysisChanged();
    m_treeModel->rebuild(m_analysis);
    m_tree->expandAll();
    if (group >= 0)
        m_tree->setCurrentIndex(m_treeModel->groupIndex(group));
    m_updating = false;
    choose(chosen);
    fitColumns();
}

void RunWindow::fitColumns()
{
    // The columns whose texts differ most in length, measured over every
    // row (cheap next to the table's own measuring), so none is cut.
    const QFontMetrics metrics = m_table->fontMetrics();
    const int padding = 2 * m_table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    for (const int column : { m_tableModel->columnOf(ReportColumn::File),
             m_tableModel->columnOf(ReportColumn::EqSince), m_tableModel->editsColumn() }) {
        int widest = std::max(m_table->columnWidth(column),
            metrics.horizontalAdvance(m_tableModel->headerData(column, Qt::Horizontal).toString())
                + 3 * padding);
        for (int row = 0; row < m_tableModel->rowCount(); ++row)
            widest = std::max(widest,
                metrics.horizontalAdvance(m_tableModel->index(row, column).data().toString())
                    + padding);
        m_table->setColumnWidth(column, widest); // the filter keeps the columns
    }
}

std::optional<int> RunWindow::actingScan(const QString &title)
{
    // The table's current row when it is one of the chosen scans, else the
    // one scan chosen: never a row left over from an earlier choice.
    const QModelIndex current = m_table->currentIndex();
    if (current.isValid()) {
        const int scan = current.data(RunTableModel::ScanRole).toInt();
        if (std::find(m_chosen.begin(), m_chosen.end(), scan) != m_chosen.end())
            return scan;
    }
    if (m_chosen.size() == 1)
        return m_chosen.front();
    m_platform.messageBox(m_chosen.empty()
            ? QStringLiteral("Choose a scan in the table first.")
            : QStringLiteral("%1 scans are chosen. Choose one of them in the table first.")
                  .arg(m_chosen.size()),
        title, MsgStyle::Information);
    return std::nullopt;
}

void RunWindow::showLnC()
{
    const std::optional<int> chosen = actingScan(QStringLiteral("ln c vs r\u00b2/2"));
    if (!chosen)
        return;
    const Scan &scan = m_run.scans[size_t(*chosen)];
    LnCDialog dialog(LnCInputOf(scan, m_analysis.options), m_platform, this);
    m_platform.execModal(dialog);
    // v-bar and rho changed there are the run's too.
    const FitConstants &used = dialog.constants();
    if (used.vbar != m_analysis.options.vbar || used.density != m_analysis.options.density) {
        RunOptions options = m_analysis.options;
        options.vbar = used.vbar;
        options.density = used.density;
        setOptions(options);
    }
}

void RunWindow::checkSettings()
{
    CheckSettingsDialog dialog(m_analysis.options, m_platform, this);
    if (m_platform.execModal(dialog) != QDialog::Accepted)
        return;
    const RunOptions &chosen = dialog.options();
    if (chosen.vbar != m_analysis.options.vbar || chosen.density != m_analysis.options.density)
        RememberBuoyancy(m_platform.settingsFilePath(), { chosen.vbar, chosen.density });
    setOptions(chosen);
}

void RunWindow::chooseGroup(int group)
{
    const QModelIndex node = m_treeModel->groupIndex(group);
    if (!node.isValid())
        return;
    if (m_tree->currentIndex() == node)
        treeChosen(); // chosen again after other scans were chosen in the table
    else
        m_tree->setCurrentIndex(node); // through treeChosen
}

void RunWindow::treeChosen()
{
    if (m_updating)
        return;
    choose(RunTreeModel::scansOf(m_tree->currentIndex()));
}

void RunWindow::tableChosen()
{
    if (m_updating)
        return;
    std::vector<int> scans;
    for (const QModelIndex &row : m_table->selectionModel()->selectedRows())
        scans.push_back(row.data(RunTableModel::ScanRole).toInt());
    std::sort(scans.begin(), scans.end());
    m_chosen = scans;
    plotChosen();
}

void RunWindow::selectRows(const std::vector<int> &scans)
{
    m_updating = true;
    QItemSelection selection;
    for (int scan : scans) {
        const QModelIndex row = m_filter->mapFromSource(m_tableModel->index(scan, 0));
        if (row.isValid())
            selection.select(row, row.siblingAtColumn(m_filter->columnCount() - 1));
    }
    m_table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!selection.isEmpty())
        m_table->scrollTo(selection.indexes().constFirst());
    m_updating = false;
}

void RunWindow::openCurrentScan()
{
    if (!m_open)
        return;
    if (const std::optional<int> scan = actingScan(QStringLiteral("Open in Editor")))
        m_open(*this, m_run.scans[size_t(*scan)]);
}

void RunWindow::exportTable()
{
    ExportCsv(m_platform, QStringLiteral("Export Table"), m_run.title + QStringLiteral(".csv"),
        RunReportCsv(m_run, m_analysis));
}

void RunWindow::exportPlot(int format)
{
    ExportPicture(m_platform, this, PlotFileFormat(format), m_plots->pictureSize(),
        [this](QPainter &painter, const QRectF &target) { m_plots->render(painter, target); });
}

void RunWindow::showStatus()
{
    QString text = QStringLiteral("%1 scans in %2 groups")
                       .arg(m_run.scans.size())
                       .arg(m_analysis.groups.groups.size());
    if (!m_run.failures.empty())
        text += QStringLiteral(", %1 not read").arg(m_run.failures.size());
    if (m_filter->rowCount() != int(m_run.scans.size()))
        text += QStringLiteral("; %1 shown").arg(m_filter->rowCount());
    const size_t plotted = m_plots->overlay().scans.size();
    text += plotted == m_chosen.size()
        ? QStringLiteral("; %1 plotted").arg(plotted)
        : QStringLiteral("; %1 of the %2 chosen plotted, spread over their times")
              .arg(plotted)
              .arg(m_chosen.size());
    statusBar()->showMessage(text);
}

RunWindow::ChosenIds RunWindow::chosenIds() const
{
    ChosenIds ids;
    for (int scan : m_chosen)
        ids.chosen.insert(m_run.scans[size_t(scan)].id);
    for (const Scan &scan : m_run.scans)
        ids.all.insert(scan.id);
    return ids;
}

void RunWindow::runChanged(const ChosenIds &before, const QString &done)
{
    // The chosen scans stay chosen; when one was replaced (by its columns,
    // or they by it on undo), what took its place is chosen too.
    std::set<uint64_t> now;
    for (const Scan &scan : m_run.scans)
        now.insert(scan.id);
    bool replaced = false;
    for (uint64_t id : before.chosen)
        replaced = replaced || now.count(id) == 0;
    std::vector<int> again;
    for (size_t i = 0; i < m_run.scans.size(); ++i) {
        const uint64_t id = m_run.scans[i].id;
        if (before.chosen.count(id) != 0 || (replaced && before.all.count(id) == 0))
            again.push_back(int(i));
    }
    const QVariant current
        = m_tree->currentIndex().siblingAtColumn(0).data(RunTreeModel::GroupRole);
    const int group = current.isValid() ? current.toInt() : -1;
    RunOptions options = m_analysis.options;
    options.limits = m_edits->limits();
    m_analysis = AnalyseRun(m_run, options);
    m_updating = true;
    m_tableModel->analysisChanged();
    m_treeModel->rebuild(m_analysis);
    m_tree->expandAll();
    // The groups are numbered anew when scans were replaced.
    if (!replaced && group >= 0 && size_t(group) < m_analysis.groups.groups.size())
        m_tree->setCurrentIndex(m_treeModel->groupIndex(group));
    m_updating = false;
    choose(again);
    showUndoState();
    fitColumns(); // a split column's name is longer, and edits are told
    if (!done.isEmpty())
        statusBar()->showMessage(done);
}

void RunWindow::showUndoState()
{
    m_undo->setEnabled(m_edits->canUndo());
    m_redo->setEnabled(m_edits->canRedo());
    m_undo->setText(m_edits->canUndo() ? QStringLiteral("&Undo %1").arg(m_edits->undoName())
                                       : QStringLiteral("&Undo"));
    m_redo->setText(m_edits->canRedo() ? QStringLiteral("&Redo %1").arg(m_edits->redoName())
                                       : QStringLiteral("&Redo"));
    const bool any = !m_chosen.empty();
    m_applyRange->setEnabled(any);
    m_removeSuggested->setEnabled(any);
    m_removeSuggestedWithin->setEnabled(any);
    m_splitChannels->setEnabled(any);
    m_saveSelected->setEnabled(any);
    const int group = chosenGroup();
    m_column->setEnabled(group >= 0);
    m_resetColumn->setEnabled(group >= 0 && m_analysis.columns[size_t(group)]
        && m_analysis.columns[size_t(group)]->byHand);
}

void RunWindow::columnsChanged(int group, const QString &done, bool keepView)
{
    m_analysis.options.limits = m_edits->limits();
    if (group >= 0)
        AnalyseGroup(m_run, m_analysis, group);
    else
        AnalyseGroups(m_run, m_analysis);
    const QVariant current
        = m_tree->currentIndex().siblingAtColumn(0).data(RunTreeModel::GroupRole);
    const int shown = current.isValid() ? current.toInt() : -1;
    const std::vector<int> chosen = m_chosen;
    m_updating = true;
    m_tableModel->analysisChanged();
    m_treeModel->rebuild(m_analysis);
    m_tree->expandAll();
    if (shown >= 0)
        m_tree->setCurrentIndex(m_treeModel->groupIndex(shown));
    m_updating = false;
    if (keepView && chosen == m_chosen) {
        m_plots->setChecks(
            BuildOverlay(m_run, m_analysis, m_chosen, m_plots->offsetBox()->isChecked()));
        const int plotted = chosenGroup();
        m_plots->overlayView()->setColumn(
            plotted >= 0 ? m_analysis.columns[size_t(plotted)] : std::optional<SolutionColumn>());
        showVerdict();
        showStatus();
        showUndoState();
        selectRows(chosen);
    } else {
        choose(chosen);
    }
    if (!done.isEmpty())
        statusBar()->showMessage(done);
}

namespace
{

// The columns set by hand without those of `group`.
std::vector<ColumnLimits> without(std::vector<ColumnLimits> limits, const ScanGroup &group)
{
    std::erase_if(limits, [&group](const ColumnLimits &l) { return l.matches(group); });
    return limits;
}

QString columnText(const SolutionColumn &c)
{
    return QStringLiteral("meniscus %1, bottom %2, fit limits %3-%4 cm")
        .arg(c.meniscus, 0, 'f', 4)
        .arg(c.bottom, 0, 'f', 4)
        .arg(c.inner, 0, 'f', 4)
        .arg(c.outer, 0, 'f', 4);
}

} // namespace

void RunWindow::columnMoved(const SolutionColumn &column)
{
    const int group = chosenGroup();
    if (group < 0)
        return;
    const ScanGroup &chosen = m_analysis.groups.groups[size_t(group)];
    SolutionColumn values = column;
    values.byHand = true;
    std::vector<ColumnLimits> limits = without(m_edits->limits(), chosen);
    limits.push_back(LimitsOf(chosen, values));
    // The same setting in another experiment of the run takes it too.
    const bool alone
        = std::count_if(m_analysis.groups.groups.begin(), m_analysis.groups.groups.end(),
              [&limits](const ScanGroup &g) { return limits.back().matches(g); })
        == 1;
    const QString done
        = QStringLiteral("Column of %1: %2").arg(GroupText(chosen), columnText(values));
    if (m_edits->setLimits(QStringLiteral("Column"), std::move(limits)))
        columnsChanged(alone ? group : -1, done, true);
}

void RunWindow::editColumn()
{
    const int group = chosenGroup();
    if (group < 0) {
        m_platform.messageBox(QStringLiteral("Choose the scans of one setting first."),
            QStringLiteral("Column"), MsgStyle::Information);
        return;
    }
    const ScanGroup &chosen = m_analysis.groups.groups[size_t(group)];
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -lowest;
    for (int scan : chosen.scans) {
        const Scan &s = m_run.scans[size_t(scan)];
        if (s.numPoints > 0) {
            lowest = std::min(lowest, double(s.x(0)));
            highest = std::max(highest, double(s.x(s.numPoints - 1)));
        }
    }
    if (!(lowest < highest))
        return;
    ColumnDialog dialog(m_analysis.columns[size_t(group)], m_analysis.found[size_t(group)], lowest,
        highest, GroupText(chosen), m_platform, this);
    if (m_platform.execModal(dialog) != QDialog::Accepted)
        return;
    std::vector<int> targets { group };
    if (dialog.scope() == ColumnDialog::Scope::EveryCellSetting) {
        for (size_t g = 0; g < m_analysis.groups.groups.size(); ++g) {
            const ScanGroup &other = m_analysis.groups.groups[g];
            if (int(g) != group && other.experiment == chosen.experiment
                && other.cell == chosen.cell && other.column == chosen.column
                && other.type == chosen.type)
                targets.push_back(int(g));
        }
    }
    const std::optional<SolutionColumn> &base = m_analysis.found[size_t(group)];
    std::vector<ColumnLimits> limits = m_edits->limits();
    for (int g : targets) {
        const ScanGroup &target = m_analysis.groups.groups[size_t(g)];
        limits = without(std::move(limits), target);
        if (dialog.resetChosen())
            continue;
        // Each setting keeps its own stretch: what its found column differs
        // from the chosen one's, end by end.
        SolutionColumn values = dialog.column();
        const std::optional<SolutionColumn> &own = m_analysis.found[size_t(g)];
        if (g != group && base && own) {
            values.meniscus = ColumnRadius(values.meniscus + own->meniscus - base->meniscus);
            values.bottom = ColumnRadius(values.bottom + own->bottom - base->bottom);
            values.inner = ColumnRadius(values.inner + own->inner - base->inner);
            values.outer = ColumnRadius(values.outer + own->outer - base->outer);
        }
        limits.push_back(LimitsOf(target, values));
    }
    const QString name
        = dialog.resetChosen() ? QStringLiteral("Reset Column") : QStringLiteral("Column");
    const QString done = targets.size() > 1
        ? QStringLiteral("Column of %1 settings of %2 set")
              .arg(targets.size())
              .arg(CellText(chosen.cell, chosen.column))
        : QStringLiteral("Column of %1: %2").arg(GroupText(chosen), columnText(dialog.column()));
    if (m_edits->setLimits(name, std::move(limits)))
        columnsChanged(targets.size() > 1 ? -1 : group, done);
}

void RunWindow::resetColumn()
{
    const int group = chosenGroup();
    if (group < 0)
        return;
    const ScanGroup &chosen = m_analysis.groups.groups[size_t(group)];
    if (m_edits->setLimits(QStringLiteral("Reset Column"), without(m_edits->limits(), chosen)))
        columnsChanged(
            group, QStringLiteral("Column of %1 as found in its scans").arg(GroupText(chosen)));
}

void RunWindow::undoStep()
{
    if (!m_edits->canUndo())
        return;
    const ChosenIds before = chosenIds();
    const QString name = m_edits->undoName();
    m_edits->undo();
    runChanged(before, QStringLiteral("Undone: %1").arg(name));
}

void RunWindow::redoStep()
{
    if (!m_edits->canRedo())
        return;
    const ChosenIds before = chosenIds();
    const QString name = m_edits->redoName();
    m_edits->redo();
    runChanged(before, QStringLiteral("Done again: %1").arg(name));
}

void RunWindow::applyRange()
{
    if (m_chosen.empty())
        return;
    const int group = chosenGroup();
    std::optional<std::pair<double, double>> fitLimits;
    if (group >= 0 && m_analysis.columns[size_t(group)])
        fitLimits = std::make_pair(
            m_analysis.columns[size_t(group)]->inner, m_analysis.columns[size_t(group)]->outer);
    ApplyRangeDialog dialog(m_analysis.options.from, m_analysis.options.to, int(m_chosen.size()),
        m_platform, this, fitLimits);
    if (m_platform.execModal(dialog) != QDialog::Accepted)
        return;
    const ChosenIds before = chosenIds();
    const uint64_t revision = m_edits->revision();
    const RadiusRange range = dialog.range();
    const RangeReport report = ApplyRangeTo(*m_edits, m_run, m_chosen, range);
    QString done = QStringLiteral("Range %1-%2 cm applied: %3 of %4 scans changed")
                       .arg(range.from)
                       .arg(range.to)
                       .arg(report.changed)
                       .arg(m_chosen.size());
    if (!report.refused.empty()) {
        QStringList names;
        for (int scan : report.refused)
            names << m_run.scans[size_t(scan)].shown;
        if (names.size() > 12)
            names = names.mid(0, 12) << QStringLiteral("...");
        m_platform.messageBox(QStringLiteral("No point of these %1 scans lies between %2 and %3 "
                                             "cm; removing the rest would remove all data, so "
                                             "they were left as they are:\n%4")
                                  .arg(report.refused.size())
                                  .arg(range.from)
                                  .arg(range.to)
                                  .arg(names.join(QLatin1Char('\n'))),
            QStringLiteral("Apply Range"), MsgStyle::Exclamation);
        done += QStringLiteral(", %1 left as they were").arg(report.refused.size());
    }
    if (m_edits->revision() != revision)
        runChanged(before, done);
    else
        statusBar()->showMessage(done);
}

void RunWindow::removeSuggested(bool withinColumn)
{
    if (m_chosen.empty())
        return;
    const ChosenIds before = chosenIds();
    const uint64_t revision = m_edits->revision();
    int without = 0;
    ScanWithin within;
    if (withinColumn) {
        // The meniscus and base spikes are what a column leaves out; the
        // suggestions there would only hide them from a second look.
        within = [this, &without](const Scan &scan) -> std::optional<RadiusRange> {
            const int index = m_edits->indexOf(scan.id);
            const std::optional<SolutionColumn> &column = m_analysis.columnOfScan(index);
            if (index < 0 || !column) {
                ++without;
                return std::nullopt;
            }
            return RadiusRange { column->inner, column->outer };
        };
    }
    const SuggestReport report = RemoveSuggestedFrom(*m_edits, m_chosen, {}, within);
    QString summary = SuggestSummary(report);
    if (without > 0)
        summary += QStringLiteral(" %1 scans without a solution column were left as they are.")
                       .arg(without);
    if (m_edits->revision() != revision)
        runChanged(before, summary);
    else
        statusBar()->showMessage(summary);
    m_platform.messageBox(summary,
        withinColumn ? QStringLiteral("Remove Suggested Within Column")
                     : QStringLiteral("Remove Suggested"),
        MsgStyle::Information);
}

void RunWindow::splitChannels()
{
    if (m_chosen.empty())
        return;
    std::vector<ChannelSetting> proposals = ProposeChannels(m_run, m_chosen);
    if (proposals.empty()) {
        m_platform.messageBox(QStringLiteral("The scans of the chosen scans' cells hold one "
                                             "sample column each: there is nothing to split."),
            QStringLiteral("Split Channels"), MsgStyle::Information);
        return;
    }
    SplitChannelsDialog dialog(m_run, std::move(proposals), m_platform, this);
    if (m_platform.execModal(dialog) != QDialog::Accepted)
        return;
    const ChosenIds before = chosenIds();
    const size_t count = m_run.scans.size();
    if (!SplitChannels(*m_edits, m_run, dialog.settings()))
        return;
    runChanged(before,
        QStringLiteral("Split Channels: %1 scans now, %2 before")
            .arg(m_run.scans.size())
            .arg(count));
}

void RunWindow::saveSelected()
{
    if (m_chosen.empty())
        return;
    std::vector<const Scan *> scans;
    bool anyColumn = false;
    for (int scan : m_chosen) {
        scans.push_back(&m_run.scans[size_t(scan)]);
        anyColumn = anyColumn || m_analysis.columnOfScan(scan);
    }
    SaveSelectedDialog dialog(m_saveFolder, m_saveBase, m_saveForm, int(scans.size()), m_platform,
        this, anyColumn ? std::optional<bool>(m_saveWithin) : std::nullopt);
    if (m_platform.execModal(dialog) != QDialog::Accepted)
        return;
    m_saveFolder = dialog.folder();
    m_saveForm = dialog.form();
    // Cut copies: the run itself keeps its points.
    std::vector<Scan> cut;
    if (anyColumn)
        m_saveWithin = dialog.withinColumn();
    if (dialog.withinColumn()) {
        cut.reserve(m_chosen.size());
        for (size_t k = 0; k < m_chosen.size(); ++k) {
            const std::optional<SolutionColumn> &column = m_analysis.columnOfScan(m_chosen[k]);
            cut.push_back(*scans[k]);
            if (column)
                ApplyRange(cut.back(), RadiusRange { column->inner, column->outer });
        }
        for (size_t k = 0; k < cut.size(); ++k)
            scans[k] = &cut[k];
    }
    const std::optional<SaveResult> result = SaveAsked(m_platform, QStringLiteral("Save Selected"),
        m_saveFolder, dialog.makeFolder(), m_saveForm, scans, SourceFiles(m_run));
    if (!result)
        return;
    for (int index : m_chosen) {
        const Scan &scan = m_run.scans[size_t(index)];
        if (result->written.contains(QDir(m_saveFolder).filePath(SavedName(scan))))
            m_saved[scan.id] = SavedState(scan);
    }
    showSaved(*result, int(scans.size()));
}

void RunWindow::showSaved(const SaveResult &result, int scans)
{
    statusBar()->showMessage(QStringLiteral("%1 of %2 scans saved in %3")
                                 .arg(result.written.size())
                                 .arg(scans)
                                 .arg(QDir::toNativeSeparators(m_saveFolder)));
}

void RunWindow::saveEquilibrium()
{
    const EquilibriumScans chosen = EquilibriumScansOf(m_run, m_analysis);
    const QString title = QStringLiteral("Save Equilibrium Scans");
    if (chosen.scans.empty()) {
        m_platform.messageBox(QStringLiteral("No setting of this run has reached equilibrium: "
                                             "there is no scan to save for the fitting program."),
            title, MsgStyle::Information);
        return;
    }
    SaveSelectedDialog dialog(
        m_saveFolder, m_saveBase, m_saveForm, int(chosen.scans.size()), m_platform, this);
    dialog.setWindowTitle(title);
    QString note = QStringLiteral("The last scan of each of the %1 settings at equilibrium, cut to "
                                  "its column's fit limits and named by its cell, speed and "
                                  "wavelength.")
                       .arg(chosen.scans.size());
    if (!chosen.notReached.empty())
        note += QStringLiteral(" %1 settings have not reached equilibrium and are left out.")
                    .arg(chosen.notReached.size());
    if (!chosen.noColumn.empty())
        note += QStringLiteral(" %1 settings have no solution column and are saved whole.")
                    .arg(chosen.noColumn.size());
    dialog.setNote(note);
    if (m_platform.execModal(dialog) != QDialog::Accepted)
        return;
    m_saveFolder = dialog.folder();
    m_saveForm = dialog.form();
    std::vector<const Scan *> scans;
    for (const Scan &scan : chosen.scans)
        scans.push_back(&scan);
    if (const std::optional<SaveResult> result = SaveAsked(m_platform, title, m_saveFolder,
            dialog.makeFolder(), m_saveForm, scans, SourceFiles(m_run)))
        showSaved(*result, int(scans.size()));
}

bool RunWindow::takeEditorFlags(
    uint64_t scan, const std::vector<float> &handed, const std::vector<float> &flags)
{
    const int index = m_edits->indexOf(scan);
    if (index < 0 || size_t(m_run.scans[size_t(index)].numPoints) != flags.size()
        || handed.size() != flags.size()) {
        m_platform.messageBox(QStringLiteral("The scan edited is no longer in the run \"%1\" as it "
                                             "was opened; the edits stay with the data set only.")
                                  .arg(m_run.title),
            QStringLiteral("Run - ") + m_run.title, MsgStyle::Exclamation);
        return false;
    }
    const ChosenIds before = chosenIds();
    if (TakeEditorFlags(*m_edits, m_run, index, handed, flags))
        runChanged(
            before, QStringLiteral("%1 edited in the editor").arg(m_run.scans[size_t(index)].name));
    return true;
}

void RunWindow::saveLimits()
{
    if (ExportCsv(m_platform, QStringLiteral("Save Limits"),
            m_run.title + QStringLiteral(" limits.csv"), LimitsCsv(m_analysis),
            QStringLiteral("limits file"))) {
        m_savedLimits = m_edits->limits();
        statusBar()->showMessage(QStringLiteral("Solution columns saved"));
    }
}

void RunWindow::loadLimits()
{
    const std::optional<LoadedLimits> loaded = LoadLimitsFile(m_platform, m_analysis.groups);
    if (!loaded || loaded->limits.empty())
        return;
    const QString done = QStringLiteral("%1 columns loaded from %2")
                             .arg(loaded->limits.size())
                             .arg(QDir::toNativeSeparators(loaded->path));
    if (m_edits->setLimits(
            QStringLiteral("Load Limits"), WithLoaded(m_edits->limits(), loaded->limits)))
        columnsChanged(-1, done);
    else
        statusBar()->showMessage(done);
    // What the file holds is kept: closing has nothing of it to lose.
    m_savedLimits = m_edits->limits();
}

bool RunWindow::limitsUnsaved() const
{
    // The columns as they were opened or last saved count as saved: an undo
    // back to them leaves nothing to lose.
    const std::vector<ColumnLimits> &now = m_edits->limits();
    return !std::equal(now.begin(), now.end(), m_savedLimits.begin(), m_savedLimits.end(),
        [](const ColumnLimits &a, const ColumnLimits &b) {
            return a.sameSetting(b) && a.values == b.values;
        });
}

void RunWindow::closeEvent(QCloseEvent *event)
{
    int unsaved = 0;
    for (const Scan &scan : m_run.scans) {
        const auto saved = m_saved.find(scan.id);
        if ((scan.edited || scan.column > 0)
            && (saved == m_saved.end() || saved->second != SavedState(scan)))
            ++unsaved;
    }
    QString question;
    if (unsaved > 0)
        question = QStringLiteral("The edits of %1 scans of this run are not saved.").arg(unsaved);
    if (limitsUnsaved()) {
        if (!question.isEmpty())
            question += QLatin1Char(' ');
        question += QStringLiteral("The solution columns set by hand are not saved.");
    }
    if (!question.isEmpty()
        && m_platform.messageBox(question + QStringLiteral(" Close the run and lose them?"),
               windowTitle(), MsgStyle::YesNo | MsgStyle::Question)
            == MsgAnswer::No) {
        event->ignore();
        return;
    }
    event->accept();
}
