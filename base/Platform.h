// SPDX-License-Identifier: GPL-3.0-or-later
// Every service the program takes from its desktop goes through Platform:
// message boxes, file dialogs, running our own windows modally, sleeping and
// event processing, the clock, random numbers, the single-instance guard,
// the settings file's place, the cache folder, printers, the clipboard and
// the screen.
//
// QtPlatform is the real one. Tests use a scripted one that answers dialogs
// from a queue and records what was asked, so every command runs headless
// through the real windows.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QPrinter;

// Message box styles: buttons in the low nibble, icon in the next; a style
// is one of each, combined with |.
enum class MsgStyle : int {
    OkOnly = 0,
    YesNo = 4,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
};
constexpr MsgStyle operator|(MsgStyle a, MsgStyle b)
{
    return MsgStyle(int(a) | int(b));
}
constexpr MsgStyle buttonsOf(MsgStyle style)
{
    return MsgStyle(int(style) & 0xF);
}
constexpr MsgStyle iconOf(MsgStyle style)
{
    return MsgStyle(int(style) & 0xF0);
}

// What a message box returns.
enum class MsgAnswer : int { Ok = 1, Yes = 6, No = 7 };

// Flags of the common file dialog.
namespace FileDialogFlag
{
constexpr unsigned OverwritePrompt = 0x2;
constexpr unsigned PathMustExist = 0x800;
constexpr unsigned FileMustExist = 0x1000;
constexpr unsigned CreatePrompt = 0x2000;
} // namespace FileDialogFlag

struct FileDialogSpec {
    bool save = false;
    QString title;
    QString filter; // "description | pattern", e.g. "Data File | *.*"
    QString initialName;
    int maxFileSize = 127; // kept for the record; a longer path is used whole
    unsigned flags = 0;
    QString defaultExt;
};

// 1440 twips to the inch at 96 pixels to the inch.
constexpr int TwipsPerPixel = 15;

// A length given in twips, in whole pixels (halves to the even one).
inline int TwipsToPixels(double twips)
{
    return int(std::nearbyint(twips / TwipsPerPixel));
}

inline QRect TwipsToPixels(int left, int top, int width, int height)
{
    return QRect(
        TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

// Where a window goes that sits a quarter of the free screen from the left
// and the top, not centred.
inline QPoint QuarterPlacement(QSize screen, QSize window)
{
    return QPoint(int(std::nearbyint((screen.width() - window.width()) / 4.0)),
        int(std::nearbyint((screen.height() - window.height()) / 4.0)));
}

// What long work sees of the window that waits for it.
class WorkProgress
{
public:
    virtual ~WorkProgress() = default;
    // `done` of `total` steps; called from the working thread.
    virtual void report(int done, int total) = 0;
    // True once the user asked to stop: the work should return soon.
    virtual bool cancelled() const = 0;
};

class Platform
{
public:
    virtual ~Platform() = default;

    // A modal message box; returns MsgAnswer::Ok, Yes or No.
    virtual MsgAnswer messageBox(const QString &text, const QString &title, MsgStyle style) = 0;

    // The common file dialog. Returns the chosen file's absolute path, or
    // nothing when the user cancelled. Asks before overwriting or creating
    // as the flags say, adds the default extension to a name without one,
    // and makes the chosen file's folder the current directory.
    std::optional<QString> fileDialog(const FileDialogSpec &spec);

    // The dialog of "Open Run...": several scan files or archives, or a
    // whole folder. Nothing when the user cancelled; the chosen folder
    // becomes the current directory, as with the file dialog.
    virtual std::optional<QStringList> askRunPaths(const QString &title);

    // A folder to write into, starting at `start`; nothing when the user
    // cancelled.
    virtual std::optional<QString> askFolder(const QString &title, const QString &start);

    // Runs `work`, which may take long (reading a run), while the windows
    // stay live: the real platform runs it on a worker thread and, once it
    // has taken half a second, shows `label` with its progress and a Cancel
    // button. Returns false when the user cancelled. `work` must not touch
    // widgets. This default runs it on the calling thread.
    virtual bool runLongWork(const QString &label, const std::function<void(WorkProgress &)> &work);

    // Shows one of our windows modally until it closes; returns its result.
    virtual int execModal(QDialog &window) = 0;

    virtual void sleep(int milliseconds) = 0;
    virtual void processEvents() = 0;
    // Processes events until `done` holds, for at most `maxMilliseconds`:
    // a window manager maps and exposes a new window in its own time.
    virtual void processEventsUntil(const std::function<bool()> &done, int maxMilliseconds);
    virtual QDateTime now() = 0;

    // Uniform random numbers in [0, 1).
    virtual void seedRandomFromClock() = 0;
    virtual float uniformRandom() = 0;

    // True when another copy of the program holds the single-instance guard;
    // otherwise this process takes it.
    virtual bool anotherInstanceRunning() = 0;

    // Full path of "Kelvane.ini".
    virtual QString settingsFilePath() = 0;

    // The folder of the program's own working files that are not the
    // user's (those of scans opened from a run); it may not exist yet.
    virtual QString cacheFolderPath() = 0;

    virtual QString defaultPrinterName() = 0;
    virtual QStringList printerNames() = 0;
    // A printer for the installed printer `name`, not yet begun: what is
    // painted on it between QPainter::begin and end becomes one print job.
    // Nothing on a platform that cannot print.
    virtual std::unique_ptr<QPrinter> openPrinter(const QString &name);

    // Size of the whole screen in pixels.
    virtual QSize screenSize() = 0;
    // The part of the screen that windows may take (without panels).
    virtual QRect availableArea() { return QRect(QPoint(0, 0), screenSize()); }

    virtual void setClipboardImage(const QImage &image) = 0;
    virtual void setBusyCursor(bool busy) = 0;

    // "Data File | *.*" as a Qt name filter: "Data File (*)".
    static QString qtNameFilter(const QString &filter);

protected:
    // Shows the dialog itself; nothing on cancel.
    virtual std::optional<QString> askFileName(const FileDialogSpec &spec) = 0;
};
