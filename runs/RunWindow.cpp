// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunWindow.h"

#include "base/Platform.h"
#include "editor/PlotOutput.h"
#include "runs/CheckSettingsDialog.h"
#include "runs/LnCDialog.h"
#include "runs/Overlay.h"
#include "runs/RunExport.h"
#include "runs/RunFilterModel.h"
#include "runs/RunPlots.h"
#include "runs/RunReport.h"
#include "runs/RunTableModel.h"
#include "runs/RunTree.h"
#include "runs/Verdict.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
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
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace
{

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
    , m_analysis(AnalyseRun(m_run, options))
    , m_open(std::move(openScan))
{
    setObjectName(QStringLiteral("RunWindow"));
    setWindowTitle(QStringLiteral("Run - ") + m_run.title);
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
    QAction *close = action(file, "CloseRun", QStringLiteral("&Close"));
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);

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

    connect(m_exportTable, &QAction::triggered, this, &RunWindow::exportTable);
    for (int format = 0; format < 3; ++format) {
        connect(m_exportPlot[size_t(format)], &QAction::triggered, this,
            [this, format] { exportPlot(format); });
    }
    connect(m_openScanAction, &QAction::triggered, this, &RunWindow::openCurrentScan);
    connect(m_resetZoom, &QAction::triggered, this, [this] { m_plots->resetZoom(); });
    connect(m_checkSettings, &QAction::triggered, this, &RunWindow::checkSettings);
    connect(m_lnC, &QAction::triggered, this, &RunWindow::showLnC);
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
    m_cellFilter = filterBox("CellFilter", QStringLiteral("C&ell:"), filters);
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
    showVerdict();
    showStatus();
}

void RunWindow::showVerdict()
{
    // The verdict of the one group the chosen scans belong to.
    int group = -1;
    for (int scan : m_chosen) {
        const int of = m_analysis.groups.groupOf[size_t(scan)];
        if (of < 0 || (group >= 0 && of != group)) {
            group = -2;
            break;
        }
        group = of;
    }
    if (group < 0) {
        m_verdict->setText(group == -1
                ? QString()
                : QStringLiteral("Choose one setting for its equilibrium check."));
        return;
    }
    m_verdict->setText(GroupText(m_analysis.groups.groups[size_t(group)]) + QStringLiteral(": ")
        + VerdictText(m_run, m_analysis, group));
}

void RunWindow::setOptions(const RunOptions &options)
{
    // The group in the tree is chosen again once the tree is rebuilt.
    const QVariant current
        = m_tree->currentIndex().siblingAtColumn(0).data(RunTreeModel::GroupRole);
    const int group = current.isValid() ? current.toInt() : -1;
    const std::vector<int> chosen = m_chosen;
    m_analysis = AnalyseRun(m_run, options);
    m_updating = true;
    m_tableModel->analysisChanged();
    m_treeModel->rebuild(m_analysis);
    m_tree->expandAll();
    if (group >= 0)
        m_tree->setCurrentIndex(m_treeModel->groupIndex(group));
    m_updating = false;
    choose(chosen);
}

void RunWindow::showLnC()
{
    const QModelIndex current = m_table->currentIndex();
    if (!current.isValid())
        return;
    const Scan &scan = m_run.scans[size_t(current.data(RunTableModel::ScanRole).toInt())];
    LnCDialog dialog(LnCInputOf(scan, m_analysis.options), m_platform, this);
    m_platform.execModal(dialog);
}

void RunWindow::checkSettings()
{
    CheckSettingsDialog dialog(m_analysis.options, m_platform, this);
    if (m_platform.execModal(dialog) == QDialog::Accepted)
        setOptions(dialog.options());
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
    const QModelIndex current = m_table->currentIndex();
    if (!current.isValid() || !m_open)
        return;
    m_open(m_run.scans[size_t(current.data(RunTableModel::ScanRole).toInt())]);
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
