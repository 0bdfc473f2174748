// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MainWindow.h"

#include "base/AppContext.h"
#include "base/Platform.h"
#include "base/Settings.h"
#include "base/WindowPlacement.h"
#include "colours/ColourDialog.h"
#include "colours/SetColors.h"
#include "core/NumLib.h"
#include "core/ProgramState.h"
#include "datafiles/ClearBlank.h"
#include "datafiles/CommentEditor.h"
#include "datafiles/CommentsDialog.h"
#include "datafiles/FitFile.h"
#include "datafiles/GetData.h"
#include "datafiles/OpenFile.h"
#include "datafiles/SaveEditedFile.h"
#include "datafiles/WorkFile.h"
#include "editor/PlotWindow.h"
#include "editor/Plotwork.h"
#include "operations/BlankCommands.h"
#include "operations/InvertSign.h"
#include "operations/Noise.h"
#include "operations/NoiseDialog.h"
#include "runs/ChannelSplit.h"
#include "runs/RunArchive.h"
#include "runs/RunReader.h"
#include "runs/ScanSave.h"
#include "runwindows/LnCDialog.h"
#include "runwindows/RunWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCryptographicHash>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>
#include <exception>

namespace
{

constexpr int ClientWidth = 760;
constexpr int ClientHeight = 520;

QAction *namedAction(QObject *parent, const char *name, const QString &caption)
{
    auto *action = new QAction(caption, parent);
    action->setObjectName(QLatin1String(name));
    return action;
}

// The local files among dropped URLs, in their order.
QStringList localFiles(const QMimeData *data)
{
    QStringList files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files << url.toLocalFile();
    }
    return files;
}

} // namespace

MainWindow::MainWindow(AppContext &app)
    : m_app(app)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Sedora"));
    createMenus();
    createViews();
    resize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    Form_Load();
    showRecentFiles();
    // Files dropped anywhere on the window open; the read-only views would
    // otherwise take a drop over them and refuse it.
    for (TextView *view : m_views) {
        view->setAcceptDrops(false);
        view->viewport()->setAcceptDrops(false);
    }
    setAcceptDrops(true);
}

MainWindow::~MainWindow() = default;

void MainWindow::createMenus()
{
    auto submenu = [this](MenuEntry entry, const char *name, const QString &caption) {
        QMenu *menu = menuBar()->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        m_actions[size_t(entry)] = menu->menuAction();
        return menu;
    };
    auto entry = [this](QMenu *menu, MenuEntry which, const char *name, const QString &caption) {
        QAction *action = namedAction(this, name, caption);
        menu->addAction(action);
        m_actions[size_t(which)] = action;
        return action;
    };

    QMenu *file = submenu(MenuEntry::FileMenu, "FileMenu", QStringLiteral("&File"));
    entry(file, MenuEntry::GetNewData, "GetNewData", QStringLiteral("&Get Data"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    entry(file, MenuEntry::UseFitFile, "UseFitFile", QStringLiteral("Get File(s) From &Fit-File"));
    entry(file, MenuEntry::GetBlankData, "GetBlankData", QStringLiteral("Get &Blank"))
        ->setEnabled(false);
    entry(file, MenuEntry::ClearBlank, "ClearBlank", QStringLiteral("&Clear Blank"))
        ->setEnabled(false);
    m_openRun = namedAction(this, "OpenRun", QStringLiteral("Open &Run..."));
    m_openRun->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    file->addAction(m_openRun);
    connect(m_openRun, &QAction::triggered, this, &MainWindow::OpenRun_Click);
    // The files opened last, after the File menu's own entries.
    m_recentSeparator = file->addSeparator();
    for (int i = 0; i < RecentFileList::Capacity; ++i) {
        QAction *recent = new QAction(this);
        recent->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        connect(recent, &QAction::triggered, this, [this, i] { RecentFile_Click(i); });
        file->addAction(recent);
        m_recentFiles[size_t(i)] = recent;
    }
    // Last, where desktop users look for it; it closes as the close box
    // does, through the exit question. Its Ctrl+Q works wherever the window
    // is active, the menu closed.
    file->addSeparator();
    QAction *exit = namedAction(this, "Exit", QStringLiteral("E&xit"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    file->addAction(exit);

    QMenu *loaded = submenu(MenuEntry::FilesLoaded, "FilesLoaded", QStringLiteral("&LoadedFiles"));
    loaded->menuAction()->setVisible(false);
    for (int i = 0; i < DataSetEntries; ++i) {
        QAction *action = namedAction(this, "DSNames", QString());
        action->setProperty("Index", i);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, i] { DSNames_Click(i); });
        loaded->addAction(action);
        m_dataSets[size_t(i)] = action;
    }
    m_dataSets[0]->setText(QStringLiteral("1"));
    m_dataSets[0]->setEnabled(false);
    m_dataSets[0]->setChecked(true);

    QMenu *edit = submenu(MenuEntry::EditMenuChoice, "EditMenuChoice", QStringLiteral("&Edit"));
    edit->menuAction()->setEnabled(false);
    entry(edit, MenuEntry::DoPlotwork, "DoPlotwork", QStringLiteral("&Data (graphically)"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    entry(edit, MenuEntry::EditComment1, "EditComment1", QStringLiteral("&Comment Lines"));
    entry(edit, MenuEntry::InvertC, "InvertC", QStringLiteral("&Invert Sign of Data"));
    entry(edit, MenuEntry::AddNoise, "AddNoise", QStringLiteral("&Add Random Noise"));
    QAction *backItOff
        = entry(edit, MenuEntry::BackItOff, "BackItOff", QStringLiteral("&Remove Random Noise"));
    backItOff->setVisible(false);
    backItOff->setEnabled(false);
    m_lnC = namedAction(this, "LnCPlot", QStringLiteral("&ln c vs r\u00b2/2..."));
    edit->addAction(m_lnC);
    connect(m_lnC, &QAction::triggered, this, &MainWindow::LnC_Click);

    QMenu *save = submenu(MenuEntry::SaveDataFile, "SaveDataFile", QStringLiteral("&Save"));
    save->menuAction()->setEnabled(false);
    entry(save, MenuEntry::SaveComplete, "SaveComplete", QStringLiteral("&Complete"));
    entry(save, MenuEntry::SaveCompleteRSq, "SaveCompleteRSq",
        QStringLiteral("C&omplete (as R^2/2)"));
    entry(save, MenuEntry::SaveTruncated, "SaveTruncated", QStringLiteral("&Truncated"));
    entry(save, MenuEntry::SaveTruncatedRSq, "SaveTruncatedRSq",
        QStringLiteral("Tr&uncated (as R^2/2)"));

    QAction *colours = namedAction(this, "SetColors", QStringLiteral("Set Plot &Colors"));
    menuBar()->addAction(colours);
    m_actions[size_t(MenuEntry::SetColors)] = colours;

    connect(
        action(MenuEntry::GetNewData), &QAction::triggered, this, &MainWindow::GetNewData_Click);
    connect(
        action(MenuEntry::DoPlotwork), &QAction::triggered, this, &MainWindow::DoPlotwork_Click);
    connect(
        action(MenuEntry::UseFitFile), &QAction::triggered, this, &MainWindow::UseFitFile_Click);
    connect(action(MenuEntry::GetBlankData), &QAction::triggered, this,
        &MainWindow::GetBlankData_Click);
    connect(
        action(MenuEntry::ClearBlank), &QAction::triggered, this, &MainWindow::ClearBlank_Click);
    connect(action(MenuEntry::EditComment1), &QAction::triggered, this,
        &MainWindow::EditComment1_Click);
    connect(action(MenuEntry::InvertC), &QAction::triggered, this, &MainWindow::InvertC_Click);
    connect(action(MenuEntry::AddNoise), &QAction::triggered, this, &MainWindow::AddNoise_Click);
    connect(action(MenuEntry::BackItOff), &QAction::triggered, this, &MainWindow::BackItOff_Click);
    connect(action(MenuEntry::SetColors), &QAction::triggered, this, &MainWindow::SetColors_Click);
    const struct {
        MenuEntry entry;
        bool complete;
        bool radius;
    } saves[] = { { MenuEntry::SaveComplete, true, true },
        { MenuEntry::SaveCompleteRSq, true, false }, { MenuEntry::SaveTruncated, false, true },
        { MenuEntry::SaveTruncatedRSq, false, false } };
    for (const auto &save : saves) {
        connect(action(save.entry), &QAction::triggered, this,
            [this, save] { SaveEntry_Click(save.complete, save.radius); });
    }
}

void MainWindow::createViews()
{
    auto *central = new QWidget(this);
    m_tabs = new QTabWidget(central);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    // 8 pixels round the views and 32 below, at any size of the window: the
    // views grow with it.
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 8, 8, 32);
    layout->addWidget(m_tabs);
    const QString captions[] = { QStringLiteral("Data File"), QStringLiteral("Blank File"),
        QStringLiteral("Edited Data File") };
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(7.5);
    for (int i = 0; i < 3; ++i) {
        auto *view = new TextView;
        view->setObjectName(QStringLiteral("RichTextBox1_%1").arg(i));
        view->setAccessibleName(captions[i]);
        view->setFont(font);
        m_tabs->addTab(view, captions[i]);
        m_views[size_t(i)] = view;
    }
    setCentralWidget(central);

    m_notice = new QLabel;
    m_notice->setObjectName(QStringLiteral("WorkFileNotice"));
    m_notice->setWordWrap(true);
    statusBar()->addWidget(m_notice, 1);
    statusBar()->setVisible(false);
}

void MainWindow::Form_Load()
{
    // A quarter of the free screen from the left and top, not centred, by the
    // outer size.
    const QSize screen = m_app.platform.screenSize();
    const QSize inner = size();
    PlaceByFrame(*this, m_app.platform.availableArea(), [screen, inner](const QMargins &frame) {
        const QSize outer = inner.grownBy(frame);
        return QRect(QuarterPlacement(screen, outer), outer);
    });
    for (int i = 1; i < DataSetEntries; ++i) {
        QAction *item = m_dataSets[size_t(i)];
        item->setText(QString::number(i + 1) + QStringLiteral(": "));
        item->setEnabled(false);
        item->setVisible(false);
        item->setChecked(false);
    }
}

QAction *MainWindow::action(MenuEntry entry) const
{
    return m_actions[size_t(entry)];
}

QAction *MainWindow::dataSetAction(int index) const
{
    return m_dataSets.at(size_t(index));
}

QAction *MainWindow::recentFileAction(int index) const
{
    return m_recentFiles.at(size_t(index));
}

TextView *MainWindow::view(ViewTab tab) const
{
    return m_views[size_t(tab)];
}

void MainWindow::setMenuEnabled(MenuEntry entry, bool enabled)
{
    action(entry)->setEnabled(enabled);
}

void MainWindow::setMenuVisible(MenuEntry entry, bool visible)
{
    action(entry)->setVisible(visible);
}

void MainWindow::setDataSetCaption(int index, const QString &caption)
{
    dataSetAction(index)->setText(caption);
}

void MainWindow::setDataSetEnabled(int index, bool enabled)
{
    dataSetAction(index)->setEnabled(enabled);
}

void MainWindow::setDataSetVisible(int index, bool visible)
{
    dataSetAction(index)->setVisible(visible);
}

void MainWindow::setDataSetChecked(int index, bool checked)
{
    dataSetAction(index)->setChecked(checked);
}

void MainWindow::setViewText(ViewTab tab, const QByteArray &text)
{
    view(tab)->setText(text);
}

QColor MainWindow::deletedColour() const
{
    const ProgramState &s = m_app.state;
    return QColor(s.DelRed, s.DelGreen, s.DelBlue);
}

void MainWindow::setRemovedLines(ViewTab tab, const std::vector<int> &lines)
{
    view(tab)->setMarkedLines(lines, deletedColour());
}

void MainWindow::setTabCaption(ViewTab tab, const QString &caption)
{
    m_tabs->setTabText(int(tab), caption);
}

void MainWindow::setNotice(const QString &text)
{
    m_notice->setText(text);
    statusBar()->setVisible(!text.isEmpty());
}

PlotOutcome MainWindow::editPlot(const PlotSession &session)
{
    PlotWindow window(m_app.platform, m_app.numlib, session, this);
    m_app.platform.execModal(window);
    return window.outcome();
}

void MainWindow::runCommand(const std::function<void()> &command)
{
    try {
        command();
    } catch (const std::exception &error) {
        m_app.platform.messageBox(
            QString::fromLocal8Bit(error.what()), QStringLiteral("Sedora"), MsgStyle::Exclamation);
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_app.platform.messageBox(QStringLiteral("Are you sure you want to exit?"),
            QStringLiteral("Exit Program?"), MsgStyle::Question | MsgStyle::YesNo)
        == MsgAnswer::No) {
        event->ignore();
        return;
    }
    // A run window with edits not saved asks on its own.
    for (RunWindow *run : runWindows()) {
        if (!run->close()) {
            event->ignore();
            return;
        }
    }
    WriteColourSettings(m_app);
    event->accept();
}

void MainWindow::GetNewData_Click()
{
    runCommand([this] {
        if (GetNewData(m_app, *this))
            rememberFile(m_app.state.ReadPath);
    });
}

void MainWindow::UseFitFile_Click()
{
    runCommand([this] {
        if (UseFitFile(m_app, *this))
            rememberFile(m_app.state.FitFileName);
    });
}

void MainWindow::openNamedFile(const QString &path)
{
    // Taken whole now: opening it changes the current directory.
    const QString file = QFileInfo(path).absoluteFilePath();
    runCommand([this, file] {
        if (OpenNamedFile(m_app, *this, file))
            rememberFile(file);
    });
}

void MainWindow::openNamedFileLater(const QString &path)
{
    QMetaObject::invokeMethod(
        this, [this, path] { openNamedFile(path); }, Qt::QueuedConnection);
}

void MainWindow::RecentFile_Click(int index)
{
    const QString path = m_app.state.RecentFiles.paths().value(index);
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile()) {
        m_app.platform.messageBox(
            QStringLiteral("The file\n%1\nno longer exists. It has been taken off the list "
                           "of recent files.")
                .arg(path),
            QStringLiteral("File Not Found"), MsgStyle::Exclamation);
        m_app.state.RecentFiles.remove(path);
        WriteRecentFiles(m_app);
        showRecentFiles();
        return;
    }
    openNamedFile(path);
}

void MainWindow::rememberFile(const QString &path)
{
    m_app.state.RecentFiles.push(path);
    WriteRecentFiles(m_app);
    showRecentFiles();
}

void MainWindow::showRecentFiles()
{
    const QStringList &paths = m_app.state.RecentFiles.paths();
    for (int i = 0; i < RecentFileList::Capacity; ++i) {
        QAction *recent = m_recentFiles[size_t(i)];
        const bool used = i < paths.size();
        QString caption;
        if (used) {
            caption = QStringLiteral("&%1 %2").arg(i + 1).arg(
                QString(paths[i]).replace(QLatin1Char('&'), QLatin1String("&&")));
        }
        recent->setText(caption);
        recent->setToolTip(used ? paths[i] : QString());
        recent->setVisible(used);
    }
    m_recentSeparator->setVisible(!paths.isEmpty());
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // Not inside the drop: the drag's source waits until it returns. One
    // scan file replaces the data set; several files, a folder or an
    // archive are a run.
    const QFileInfo first(paths.constFirst());
    if (paths.size() == 1 && !first.isDir() && !IsArchiveName(first.filePath()))
        openNamedFileLater(paths.constFirst());
    else
        openRunLater(paths);
}

void MainWindow::LnC_Click()
{
    // Reached only with its menu enabled, but a test may trigger it anyway.
    if (!action(MenuEntry::EditMenuChoice)->isEnabled())
        return;
    const ProgramState &s = m_app.state;
    auto plot = std::make_unique<PlotFields>();
    const int count = std::clamp<int>(s.NumPts, 0, PointCapacity);
    for (int i = 1; i <= count; ++i) {
        plot->PlotX(i) = s.DataPts.x(i);
        plot->PlotY(i) = s.DataPts.conc(i);
        plot->PlotFlag(i) = s.DataPts.flag(i);
    }
    plot->PlotCount = int16_t(count);
    showLnC(*plot);
}

void MainWindow::showLnC(const PlotFields &plot)
{
    runCommand([this, &plot] {
        const ProgramState &s = m_app.state;
        LnCInput input;
        input.title = QFileInfo(s.ReadPath).fileName();
        // The data set as the user left it: its good points (the rows the
        // instrument could not measure left out, as in a run), from the
        // first to the last good one, untrimmed and with no ceiling.
        Scan points;
        if (s.NumComments >= 2)
            points.header = ParseScanHeader(s.CommentBuf.slot(2).trimmed());
        points.numPoints = plot.PlotCount;
        for (int i = 1; i <= plot.PlotCount; ++i)
            points.points.insert(
                points.points.end(), { plot.PlotX(i), plot.PlotY(i), plot.PlotFlag(i) });
        input.points = GoodPoints(points, HUGE_VAL);
        if (!input.points.empty()) {
            input.lo = input.points.front().x;
            input.hi = input.points.back().x;
        }
        if (points.header)
            TakeHeaderConstants(*points.header, input);
        // Over the editor when it asks, so that the window can be used.
        QWidget *over = QApplication::activeModalWidget();
        LnCDialog dialog(input, m_app.platform, over ? over : this);
        m_app.platform.execModal(dialog);
    });
}

void MainWindow::OpenRun_Click()
{
    const std::optional<QStringList> paths = m_app.platform.askRunPaths(QStringLiteral("Open Run"));
    if (paths)
        openRun(*paths);
}

void MainWindow::openRun(const QStringList &paths, const RunOptions &options)
{
    // As named, so that the table says what the report says; the run keeps
    // the whole path of each file beside it, since opening a scan later
    // moves the current folder.
    runCommand([this, &paths, &options] {
        // Without the library no scan can be read: say so before reading.
        m_app.numlib.load();
        Run run;
        const bool finished = m_app.platform.runLongWork(
            QStringLiteral("Reading the scans of %1...").arg(RunTitle(paths)),
            [&](WorkProgress &progress) {
                ReadProgress watch;
                watch.report = [&progress](int done, int total) { progress.report(done, total); };
                watch.cancelled = [&progress] { return progress.cancelled(); };
                run = ReadRun(paths, m_app.numlib, watch);
            });
        if (!finished || run.cancelled)
            return;
        if (run.scans.empty()) {
            QStringList reasons;
            for (const ReadFailure &failure : run.failures)
                reasons << failure.path + QStringLiteral(": ") + failure.reason;
            if (reasons.size() > 12)
                reasons = reasons.mid(0, 12) << QStringLiteral("...");
            m_app.platform.messageBox(
                QStringLiteral("No scan could be read from\n%1").arg(paths.join(QLatin1Char('\n')))
                    + (reasons.isEmpty()
                            ? QStringLiteral("\n\nIt holds no scan files.")
                            : QStringLiteral("\n\n") + reasons.join(QLatin1Char('\n'))),
                QStringLiteral("Open Run"), MsgStyle::Exclamation);
            return;
        }
        auto *window = new RunWindow(
            m_app.platform, std::move(run), options,
            [this](RunWindow &window, const Scan &scan) { openRunScan(window, scan); }, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        std::erase_if(m_runWindows, [](const QPointer<RunWindow> &open) { return !open; });
        m_runWindows.emplace_back(window);
        window->show();
    });
}

void MainWindow::openRunLater(const QStringList &paths, const RunOptions &options)
{
    QMetaObject::invokeMethod(
        this, [this, paths, options] { openRun(paths, options); }, Qt::QueuedConnection);
}

std::vector<RunWindow *> MainWindow::runWindows() const
{
    std::vector<RunWindow *> open;
    for (const QPointer<RunWindow> &window : m_runWindows) {
        if (window)
            open.push_back(window);
    }
    return open;
}

QString MainWindow::runWorkFolder(const Run &run) const
{
    const QString cache = m_app.platform.cacheFolderPath();
    // Named by the run's files, so that the same run opened again takes the
    // same folder and two runs of one title do not share one.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString &file : SourceFiles(run))
        hash.addData(QFile::encodeName(file) + '\n');
    QString title = run.title;
    title.replace(QLatin1Char('/'), QLatin1Char('_'));
    while (title.startsWith(QLatin1Char('.')))
        title.remove(0, 1);
    return cache + QStringLiteral("/runs/") + title + QLatin1Char('-')
        + QString::fromLatin1(hash.result().toHex().left(12));
}

void MainWindow::openRunScan(RunWindow &window, const Scan &scan)
{
    m_runScan = {};
    bool loaded = false;
    // By whole paths: the current folder may have moved since the run was read.
    QString name = scan.archive.isEmpty() ? scan.file : scan.file + QLatin1Char('/') + scan.member;
    if (scan.column > 0)
        name = ColumnFileName(name, scan.column);
    const QString folder = QFileInfo(scan.file).absolutePath();
    // The working files go into a folder of the program's own, one a run,
    // never among the instrument's files; the current folder (where the
    // file dialogs start) is the scan's own, as for any file.
    const QString workFiles = runWorkFolder(window.run());
    const QString unmade = MakeWorkFilesFolder(workFiles);
    if (scan.edited || scan.column > 0) {
        // It has no file as it stands: the library reads it from memory.
        runCommand([&] {
            loaded = GetDataFromMemory(m_app, *this, name, folder, ScanFileText(scan), workFiles);
        });
    } else if (scan.archive.isEmpty()) {
        runCommand([&] {
            loaded = GetNamedData(m_app, *this, scan.file, workFiles);
            if (loaded)
                rememberFile(scan.file);
        });
    } else {
        runCommand([&] {
            const MemberBytes member
                = ReadArchiveMember(scan.file, scan.member, ArchiveLimits(), scan.occurrence);
            if (!member.error.isEmpty()) {
                m_app.platform.messageBox(
                    QStringLiteral("%1\ncould not be read: %2").arg(name, member.error),
                    QStringLiteral("Get Data File"), MsgStyle::Exclamation);
                return;
            }
            loaded = GetDataFromMemory(m_app, *this, name, folder, member.bytes, workFiles);
        });
    }
    if (loaded && !unmade.isEmpty()) {
        setNotice(QStringLiteral("The folder for working files %1 cannot be made (%2). The scan "
                                 "is open; the Edited Data File view shows it from memory.")
                      .arg(QDir::toNativeSeparators(workFiles), unmade));
    }
    // Only a data set that is this scan may send its commits back to it: a
    // failed load leaves the data set loaded before in place.
    if (loaded && m_app.state.NumPts == scan.numPoints)
        m_runScan = { &window, scan.id, m_app.state.DataFileName };
    // The data set is edited here: bring this window forward.
    raise();
    activateWindow();
}

void MainWindow::DSNames_Click(int index)
{
    // The check mark follows the loaded data set, not the click.
    dataSetAction(index)->setChecked(!dataSetAction(index)->isChecked());
    runCommand([this, index] { LoadFitDataSet(m_app, *this, index + 1); });
}

void MainWindow::SaveEntry_Click(bool Complete, bool Radius)
{
    runCommand([this, Complete, Radius] { SaveEditedFile(m_app, Complete, Radius); });
}

void MainWindow::GetBlankData_Click()
{
    runCommand([this] { GetBlankData(m_app, *this); });
}

void MainWindow::ClearBlank_Click()
{
    runCommand([this] { ClearBlank(m_app, *this); });
}

void MainWindow::InvertC_Click()
{
    runCommand([this] { InvertC(m_app, *this); });
}

void MainWindow::AddNoise_Click()
{
    runCommand([this] { AddNoise(m_app, *this); });
}

void MainWindow::BackItOff_Click()
{
    runCommand([this] { BackItOff(m_app, *this); });
}

void MainWindow::EditComment1_Click()
{
    runCommand([this] { EditComment1(m_app, *this); });
}

void MainWindow::SetColors_Click()
{
    runCommand([this] { SetColors(m_app, *this); });
    for (TextView *view : m_views)
        view->setMarkColour(deletedColour());
}

void MainWindow::DoPlotwork_Click()
{
    // The shortcut reaches the entry even while its menu waits for a data set.
    if (!action(MenuEntry::EditMenuChoice)->isEnabled())
        return;
    const ProgramState &s = m_app.state;
    const auto flags = [&s] {
        std::vector<float> flags;
        for (int i = 1; i <= s.NumPts; ++i)
            flags.push_back(s.DataPts.flag(i));
        return flags;
    };
    // What the editor is given: only what it changes goes back to the run,
    // which may have been edited since the scan was opened.
    const std::vector<float> handed = flags();
    runCommand([this] { DoPlotwork(m_app, *this); });
    if (s.CommitEdits && m_runScan.window && s.DataFileName == m_runScan.name)
        m_runScan.window->takeEditorFlags(m_runScan.scan, handed, flags());
}

std::optional<float> MainWindow::askNoiseLevel(float offered)
{
    NoiseDialog dialog(offered, m_app.platform, this);
    if (m_app.platform.execModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.level();
}

std::optional<QByteArray> MainWindow::editCommentText(const QByteArray &text)
{
    CommentsDialog dialog(m_app.platform, this);
    dialog.setText(text);
    if (m_app.platform.execModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.text();
}

std::optional<PlotColours> MainWindow::askColours(
    const PlotColours &current, const std::function<void(const PlotColours &)> &preview)
{
    ColourDialog dialog(current, preview, this);
    if (m_app.platform.execModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.colours();
}
