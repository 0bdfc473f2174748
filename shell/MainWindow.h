// SPDX-License-Identifier: GPL-3.0-or-later
// Form1, the main window: the command menu and the three text views (the
// data file, the blank file, the edited data set) on a tab control.
#pragma once

#include "base/MainView.h"
#include "core/RecentFileList.h"
#include "runs/RunAnalysis.h"
#include "shell/TextView.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>

struct AppContext;
class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class RunWindow;

class MainWindow : public QMainWindow, public MainView
{
    Q_OBJECT

public:
    static constexpr int DataSetEntries = 15;

    explicit MainWindow(AppContext &app);
    ~MainWindow() override;

    // MainView
    void setMenuEnabled(MenuEntry entry, bool enabled) override;
    void setMenuVisible(MenuEntry entry, bool visible) override;
    void setDataSetCaption(int index, const QString &caption) override;
    void setDataSetEnabled(int index, bool enabled) override;
    void setDataSetVisible(int index, bool visible) override;
    void setDataSetChecked(int index, bool checked) override;
    void setViewText(ViewTab tab, const QByteArray &text) override;
    void setRemovedLines(ViewTab tab, const std::vector<int> &lines) override;
    void setTabCaption(ViewTab tab, const QString &caption) override;
    void setNotice(const QString &text) override;
    PlotOutcome editPlot(const PlotSession &session) override;
    void showLnC(const PlotFields &plot) override;
    std::optional<float> askNoiseLevel(float offered) override;
    std::optional<QByteArray> editCommentText(const QByteArray &text) override;
    std::optional<PlotColours> askColours(const PlotColours &current,
        const std::function<void(const PlotColours &)> &preview) override;

    // The action of a menu entry; for a submenu, the action that opens it.
    QAction *action(MenuEntry entry) const;
    QAction *dataSetAction(int index) const;
    TextView *view(ViewTab tab) const;
    QTabWidget *tabs() const { return m_tabs; }
    QLabel *notice() const { return m_notice; }
    // Entry i (0..7) of the recent files under File.
    QAction *recentFileAction(int index) const;

    // Opens a file named without a dialog (command line, drop, recent
    // files): a fit file as "Get File(s) From Fit-File" reads it, any other
    // as Get Data loads it; a loaded file goes to the top of the recent files.
    void openNamedFile(const QString &path);
    // The same once the event loop runs, so that the window is on screen and
    // the caller (a drop, start-up) has returned first.
    void openNamedFileLater(const QString &path);

    // File > "Open Run...", "--run" and drops of several files or a folder:
    // reads the run (with progress and Cancel when it takes long) and shows
    // it in a run window of its own.
    void openRun(const QStringList &paths, const RunOptions &options = {});
    void openRunLater(const QStringList &paths, const RunOptions &options = {});
    QAction *openRunAction() const { return m_openRun; }
    // Edit > "ln c vs r²/2...": the data set's ln c against r²/2.
    QAction *lnCAction() const { return m_lnC; }
    // The run windows open now, oldest first.
    std::vector<RunWindow *> runWindows() const;
    // A scan of a run into the data set, as Get Data would load its file;
    // an edited scan as it stands. What the editor then commits goes back
    // to the run window as one of its steps.
    void openRunScan(RunWindow &window, const Scan &scan);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createMenus();
    void createViews();
    // The colour of removed points in the views, the plot's deleted colour.
    QColor deletedColour() const;
    void Form_Load();
    // Runs a command; an error that escapes it is shown, never fatal.
    void runCommand(const std::function<void()> &command);

    void GetNewData_Click();
    void DoPlotwork_Click();
    void SaveEntry_Click(bool Complete, bool Radius);
    void UseFitFile_Click();
    void DSNames_Click(int index);
    void GetBlankData_Click();
    void ClearBlank_Click();
    void EditComment1_Click();
    void InvertC_Click();
    void AddNoise_Click();
    void BackItOff_Click();
    void SetColors_Click();
    void RecentFile_Click(int index);
    void OpenRun_Click();
    void LnC_Click();

    // The folder of the working files of the scans opened from `run`, in the
    // platform's cache folder.
    QString runWorkFolder(const Run &run) const;

    // The recent files into the File menu; a loaded file to their top.
    void showRecentFiles();
    void rememberFile(const QString &path);

    AppContext &m_app;
    std::array<QAction *, size_t(MenuEntry::SetColors) + 1> m_actions {};
    std::array<QAction *, DataSetEntries> m_dataSets {};
    std::array<TextView *, 3> m_views {};
    QTabWidget *m_tabs = nullptr;
    QLabel *m_notice = nullptr;
    QAction *m_recentSeparator = nullptr;
    QAction *m_openRun = nullptr;
    QAction *m_lnC = nullptr;
    std::vector<QPointer<RunWindow>> m_runWindows;
    // The data set opened from a run, while it is loaded.
    struct RunScanLink {
        QPointer<RunWindow> window;
        uint64_t scan = 0;
        QString name; // the data set's file name as it was loaded
    } m_runScan;
    std::array<QAction *, RecentFileList::Capacity> m_recentFiles {};
};
