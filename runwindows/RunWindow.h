// SPDX-License-Identifier: GPL-3.0-or-later
// The run window: a run's scans as a table (sortable, filtered by cell,
// type, speed and wavelength), its groups as a tree beside it, and the
// chosen scans plotted below. Thin: the run, its analysis and the plotted
// curves are computed without widgets (RunReader, RunAnalysis, Overlay).
#pragma once

#include "runs/RunAnalysis.h"
#include "runs/ScanSave.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

class Platform;
class QAction;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTableView;
class QTreeView;
class RunFilterModel;
class RunPlots;
class RunEdits;
class RunTableModel;
class RunTreeModel;

class RunWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Opens a scan of the run in the main window, as Get Data would.
    using OpenScan = std::function<void(RunWindow &window, const Scan &scan)>;

    RunWindow(Platform &platform, Run run, const RunOptions &options, OpenScan openScan,
        QWidget *parent = nullptr);
    ~RunWindow() override;

    const Run &run() const { return m_run; }
    const RunAnalysis &analysis() const { return m_analysis; }

    // The scans plotted, as indices into run().scans.
    const std::vector<int> &chosen() const { return m_chosen; }
    // Plots these scans and selects their rows.
    void choose(const std::vector<int> &scans);
    // Chooses the scans of group `group` (an index into the groups).
    void chooseGroup(int group);
    // Opens the chosen scan in the main window: the table's current row
    // when it is chosen, else the one scan chosen; otherwise says what to
    // choose.
    void openCurrentScan();

    QTreeView *tree() const { return m_tree; }
    QTableView *table() const { return m_table; }
    RunTreeModel *treeModel() const { return m_treeModel.get(); }
    RunTableModel *tableModel() const { return m_tableModel.get(); }
    RunFilterModel *filterModel() const { return m_filter.get(); }
    RunPlots *plots() const { return m_plots; }
    QPlainTextEdit *failuresView() const { return m_failures; }
    QComboBox *cellFilter() const { return m_cellFilter; }
    QComboBox *typeFilter() const { return m_typeFilter; }
    QComboBox *speedFilter() const { return m_speedFilter; }
    QComboBox *bandFilter() const { return m_bandFilter; }

    QAction *exportTableAction() const { return m_exportTable; }
    QAction *openScanAction() const { return m_openScanAction; }
    // ln c vs r²/2 of the table's current scan, fitted as its row is.
    QAction *lnCAction() const { return m_lnC; }
    // Export Plot as PNG, SVG and PDF.
    QAction *exportPlotAction(int format) const { return m_exportPlot[size_t(format)]; }
    QAction *resetZoomAction() const { return m_resetZoom; }
    // The axes fitted to every point plotted, or to the readings checked.
    QAction *showEverythingAction() const { return m_showEverything; }
    QAction *checkSettingsAction() const { return m_checkSettings; }
    QAction *clearRangeAction() const { return m_clearRange; }
    // Check > Column... and Reset Column, for the chosen setting.
    QAction *columnAction() const { return m_column; }
    QAction *resetColumnAction() const { return m_resetColumn; }
    // The one group the chosen scans belong to; -1 for none chosen, -2 for
    // scans of several groups or of none.
    int chosenGroup() const;
    // The columns set by hand differ from those the run was opened with or
    // last saved: closing asks.
    bool limitsUnsaved() const;
    // The verdict of the chosen group, in words.
    QLabel *verdictLabel() const { return m_verdict; }

    // The settings of the check (range, trim, ceiling) changed: everything
    // is computed again at once.
    void setOptions(const RunOptions &options);

    // The edits of the scans, each group operation one step.
    RunEdits &edits() const { return *m_edits; }
    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }
    QAction *applyRangeAction() const { return m_applyRange; }
    QAction *removeSuggestedAction() const { return m_removeSuggested; }
    QAction *removeSuggestedWithinAction() const { return m_removeSuggestedWithin; }
    QAction *splitChannelsAction() const { return m_splitChannels; }
    QAction *saveSelectedAction() const { return m_saveSelected; }
    QAction *saveEquilibriumAction() const { return m_saveEquilibrium; }
    QAction *saveLimitsAction() const { return m_saveLimits; }
    QAction *loadLimitsAction() const { return m_loadLimits; }
    // The flags the editor left in a scan opened from here (by its id), as
    // one step: the points whose flag it changed from `handed`. False, after
    // telling the user, when the scan is gone or no longer has that many
    // points.
    bool takeEditorFlags(
        uint64_t scan, const std::vector<float> &handed, const std::vector<float> &flags);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createMenus();
    void createWidgets();
    void fillFilters();
    void applyFilters();
    void treeChosen();
    void tableChosen();
    void selectRows(const std::vector<int> &scans);
    void exportTable();
    void exportPlot(int format);
    void showStatus();
    void plotChosen();
    void showVerdict();
    // Widens the columns whose texts would be cut.
    void fitColumns();
    void checkSettings();
    void showLnC();
    // The scan Open in Editor and ln c act on, or nothing after telling
    // the user (under `title`) what to choose.
    std::optional<int> actingScan(const QString &title);
    // The ids of the chosen scans and of all, before a change.
    struct ChosenIds {
        std::set<uint64_t> chosen;
        std::set<uint64_t> all;
    };
    ChosenIds chosenIds() const;
    void runChanged(const ChosenIds &before, const QString &done);
    void applyRange();
    void removeSuggested(bool withinColumn);
    void splitChannels();
    void saveSelected();
    void saveEquilibrium();
    void showSaved(const SaveResult &result, int scans);
    void saveLimits();
    void loadLimits();
    // The columns set by hand changed for `group` alone (re-checked alone),
    // or for several (-1): the analysis follows the history's columns.
    // `keepView`: the overlay keeps its axes (a line dragged).
    void columnsChanged(int group, const QString &done, bool keepView = false);
    void columnMoved(const SolutionColumn &column);
    void editColumn();
    void resetColumn();
    void undoStep();
    void redoStep();
    void showUndoState();

    Platform &m_platform;
    Run m_run;
    std::unique_ptr<RunEdits> m_edits;
    RunAnalysis m_analysis;
    OpenScan m_open;
    std::vector<int> m_chosen;
    bool m_updating = false;

    std::unique_ptr<RunTableModel> m_tableModel;
    std::unique_ptr<RunFilterModel> m_filter;
    std::unique_ptr<RunTreeModel> m_treeModel;
    QTreeView *m_tree = nullptr;
    QTableView *m_table = nullptr;
    RunPlots *m_plots = nullptr;
    QPlainTextEdit *m_failures = nullptr;
    QComboBox *m_cellFilter = nullptr;
    QComboBox *m_typeFilter = nullptr;
    QComboBox *m_speedFilter = nullptr;
    QComboBox *m_bandFilter = nullptr;
    QAction *m_exportTable = nullptr;
    QAction *m_openScanAction = nullptr;
    std::array<QAction *, 3> m_exportPlot {};
    QAction *m_resetZoom = nullptr;
    QAction *m_showEverything = nullptr;
    QAction *m_lnC = nullptr;
    QAction *m_checkSettings = nullptr;
    QAction *m_clearRange = nullptr;
    QAction *m_column = nullptr;
    QAction *m_resetColumn = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_applyRange = nullptr;
    QAction *m_removeSuggested = nullptr;
    QAction *m_removeSuggestedWithin = nullptr;
    QAction *m_splitChannels = nullptr;
    QAction *m_saveSelected = nullptr;
    QAction *m_saveEquilibrium = nullptr;
    QAction *m_saveLimits = nullptr;
    QAction *m_loadLimits = nullptr;
    QString m_saveFolder;
    QString m_saveBase; // a folder typed without its whole path is taken from here
    // Scans written by Save Selected, by id, with what they were saved as.
    std::unordered_map<uint64_t, size_t> m_saved;
    SaveForm m_saveForm;
    bool m_saveWithin = false;
    std::vector<ColumnLimits> m_savedLimits;
    QLabel *m_verdict = nullptr;
};
