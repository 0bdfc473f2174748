// Every service the program takes from its desktop goes through Platform:
// message boxes, file dialogs, running our own windows modally, sleeping and
// event processing, the clock, random numbers, the single-instance guard,
// the settings file's place, printers, the clipboard and the screen.
//
// QtPlatform is the real one. Tests use a scripted one that answers dialogs
// from a queue and records what was asked, so every command runs headless
// through the real windows.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QDialog;
class QPrinter;

// Message box styles: buttons in the low nibble, icon in the next.
namespace MsgStyle
{
constexpr int OkOnly = 0;
constexpr int YesNo = 4;
constexpr int Question = 32;
constexpr int Exclamation = 48;
} // namespace MsgStyle

// What a message box returns.
namespace MsgAnswer
{
constexpr int Ok = 1;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace MsgAnswer

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

class Platform
{
public:
    virtual ~Platform() = default;

    // A modal message box; returns MsgAnswer::Ok, Yes or No.
    virtual int messageBox(const QString &text, const QString &title, int style) = 0;

    // The common file dialog. Returns the chosen file's absolute path, or
    // nothing when the user cancelled. Asks before overwriting or creating
    // as the flags say, adds the default extension to a name without one,
    // and makes the chosen file's folder the current directory.
    std::optional<QString> fileDialog(const FileDialogSpec &spec);

    // Shows one of our windows modally until it closes; returns its result.
    virtual int execModal(QDialog &window) = 0;

    virtual void sleep(int milliseconds) = 0;
    virtual void processEvents() = 0;
    virtual QDateTime now() = 0;

    // Uniform random numbers in [0, 1).
    virtual void seedRandomFromClock() = 0;
    virtual float uniformRandom() = 0;

    // True when another copy of the program holds the single-instance guard;
    // otherwise this process takes it.
    virtual bool anotherInstanceRunning() = 0;

    // Full path of "Kelvane.ini".
    virtual QString settingsFilePath() = 0;

    virtual QString defaultPrinterName() = 0;
    virtual QStringList printerNames() = 0;
    // A printer for the installed printer `name`, not yet begun: what is
    // painted on it between QPainter::begin and end becomes one print job.
    // Nothing on a platform that cannot print.
    virtual std::unique_ptr<QPrinter> openPrinter(const QString &name);

    // Size of the whole screen in pixels.
    virtual QSize screenSize() = 0;

    virtual void setClipboardImage(const QImage &image) = 0;
    virtual void setBusyCursor(bool busy) = 0;

    // "Data File | *.*" as a Qt name filter: "Data File (*)".
    static QString qtNameFilter(const QString &filter);

protected:
    // Shows the dialog itself; nothing on cancel.
    virtual std::optional<QString> askFileName(const FileDialogSpec &spec) = 0;
};
