// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/QtPlatform.h"

#include "shell/RunPathDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>
#include <unistd.h>

QtPlatform::QtPlatform(QString instanceLockPath)
    : m_instanceLockPath(std::move(instanceLockPath))
{
    if (!m_instanceLockPath.isEmpty())
        return;
    // The session's runtime folder where there is one, so that each desktop
    // session (and each test run that sets its own) has its own guard.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        m_instanceLockPath = QDir(runtime).filePath(QStringLiteral("kelvane.lock"));
    else
        m_instanceLockPath = QDir::temp().filePath(QStringLiteral("kelvane-%1.lock").arg(getuid()));
}
QtPlatform::~QtPlatform() = default;

MsgAnswer QtPlatform::messageBox(const QString &text, const QString &title, MsgStyle style)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (iconOf(style)) {
    case MsgStyle::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgStyle::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgStyle::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgStyle::Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
    }
    if (buttonsOf(style) == MsgStyle::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::No ? MsgAnswer::No : MsgAnswer::Yes;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MsgAnswer::Ok;
}

std::optional<QString> QtPlatform::askFileName(const FileDialogSpec &spec)
{
    QFileDialog dialog(m_parent, spec.title, QDir::currentPath());
    // Qt's own dialog: the same on every desktop, and readable by screen
    // readers through Qt's accessibility.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite); // fileDialog() asks itself
    dialog.setNameFilter(qtNameFilter(spec.filter));
    dialog.setAcceptMode(spec.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(spec.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!spec.initialName.isEmpty() && !spec.initialName.contains(QLatin1Char('*')))
        dialog.selectFile(spec.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QStringList> QtPlatform::askRunPaths(const QString &title)
{
    RunPathDialog dialog(m_parent, title);
    if (dialog.exec() != QDialog::Accepted || dialog.chosenPaths().isEmpty())
        return std::nullopt;
    const QStringList paths = dialog.chosenPaths();
    const QFileInfo first(paths.constFirst());
    QDir::setCurrent(first.isDir() ? first.absoluteFilePath() : first.absolutePath());
    return paths;
}

std::optional<QString> QtPlatform::askFolder(const QString &title, const QString &start)
{
    const QString folder = QFileDialog::getExistingDirectory(m_parent, title, start);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

bool QtPlatform::runLongWork(const QString &label, const std::function<void(WorkProgress &)> &work)
{
    struct Shared : WorkProgress {
        std::atomic<int> done { 0 };
        std::atomic<int> total { 0 };
        std::atomic<bool> stop { false };
        std::atomic<bool> finished { false };
        void report(int d, int t) override
        {
            total = t;
            done = d;
        }
        bool cancelled() const override { return stop; }
    } progress;

    std::thread worker([&] {
        work(progress);
        progress.finished = true;
    });
    // The windows keep painting meanwhile, but take no input: no command may
    // start before this one has ended. Work that outlasts half a second gets
    // a progress window, whose Cancel is all the user can do.
    struct InputBlock : QObject {
        bool eventFilter(QObject *, QEvent *event) override
        {
            switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Wheel:
            case QEvent::Drop:
            case QEvent::Close:
                return true;
            default:
                return false;
            }
        }
    };
    auto block = std::make_unique<InputBlock>();
    qApp->installEventFilter(block.get());
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    std::unique_ptr<QProgressDialog> dialog;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (progress.finished) {
            loop.quit();
            return;
        }
        if (!dialog && clock.elapsed() >= 500) {
            block.reset(); // the modal progress window keeps the rest out
            dialog = std::make_unique<QProgressDialog>(
                label, QStringLiteral("Cancel"), 0, 0, m_parent);
            dialog->setObjectName(QStringLiteral("LongWork"));
            dialog->setWindowTitle(QStringLiteral("Sedora"));
            dialog->setWindowModality(Qt::ApplicationModal);
            dialog->setAutoReset(false);
            dialog->setAutoClose(false);
            dialog->setMinimumDuration(0);
            dialog->show();
        }
        if (!dialog)
            return;
        if (dialog->wasCanceled())
            progress.stop = true;
        const int total = progress.total;
        if (total > 0 && dialog->maximum() != total)
            dialog->setMaximum(total);
        if (total > 0)
            dialog->setValue(std::min<int>(progress.done, total));
    });
    poll.start(30);
    loop.exec();
    worker.join();
    QGuiApplication::restoreOverrideCursor();
    return !progress.stop;
}

int QtPlatform::execModal(QDialog &window)
{
    return window.exec();
}

void QtPlatform::sleep(int milliseconds)
{
    QThread::msleep(ulong(milliseconds));
}

void QtPlatform::processEvents()
{
    QCoreApplication::processEvents();
}

QDateTime QtPlatform::now()
{
    return QDateTime::currentDateTime();
}

void QtPlatform::seedRandomFromClock()
{
    m_random.seed(std::mt19937::result_type(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

float QtPlatform::uniformRandom()
{
    // 24 random bits make every value exact in a float and keep it below 1.
    return float(m_random() >> 8) * (1.0f / 16777216.0f);
}

bool QtPlatform::anotherInstanceRunning()
{
    if (!m_instanceLock) {
        m_instanceLock = std::make_unique<QLockFile>(m_instanceLockPath);
        // A lock left by a crashed run names a dead process; QLockFile takes
        // it over instead of refusing.
        m_instanceLock->setStaleLockTime(0);
        if (!m_instanceLock->tryLock(0)) {
            m_instanceLock.reset();
            return true;
        }
    }
    return false;
}

QString QtPlatform::standardSettingsFilePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Kelvane.ini"));
}

QString QtPlatform::settingsFilePath()
{
    return standardSettingsFilePath();
}

QString QtPlatform::standardCacheFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("kelvane"));
}

QString QtPlatform::cacheFolderPath()
{
    return standardCacheFolder();
}

QString QtPlatform::defaultPrinterName()
{
    return QPrinterInfo::defaultPrinterName();
}

QStringList QtPlatform::printerNames()
{
    return QPrinterInfo::availablePrinterNames();
}

std::unique_ptr<QPrinter> QtPlatform::openPrinter(const QString &name)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (info.isNull())
        return nullptr;
    // The printer's own resolution, so that the plot is drawn sharp on paper.
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

QSize QtPlatform::screenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

QRect QtPlatform::availableArea()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), screenSize());
}

void QtPlatform::setClipboardImage(const QImage &image)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(image);
}

void QtPlatform::setBusyCursor(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
