// SPDX-License-Identifier: GPL-3.0-or-later
// The platform for tests: dialogs and message boxes answer from queues, our
// windows run a queued test action instead of blocking, and everything asked
// is recorded in order, so commands run headless through the real windows.
#pragma once

#include "base/Platform.h"

#include <QDialog>
#include <QMarginsF>

#include <deque>
#include <functional>
#include <ostream>
#include <random>
#include <vector>

// One job sent to a scripted printer: the printer's name and the PDF file
// that stands for the paper.
struct RecordedPrintJob {
    QString printer;
    QString pdf;
};

// Readable in a failed expectation: the style's number, as the code gives it.
inline void PrintTo(MsgStyle style, std::ostream *os)
{
    *os << "MsgStyle(" << int(style) << ")";
}
inline void PrintTo(MsgAnswer answer, std::ostream *os)
{
    *os << "MsgAnswer(" << int(answer) << ")";
}

struct RecordedMessage {
    QString text;
    QString title;
    MsgStyle style;
};

class ScriptedPlatform : public Platform
{
public:
    // A test whose queued answers or modal actions were not all used asked
    // for something that never happened: it fails here.
    ~ScriptedPlatform() override;

    // --- answers, consumed in order
    // A file name, or std::nullopt for Cancel. An empty queue cancels.
    std::deque<std::optional<QString>> fileAnswers;
    // MsgAnswer values; an empty queue answers Yes to a question, else Ok.
    std::deque<MsgAnswer> messageAnswers;
    // Answers of "Open Run...": the chosen paths, or std::nullopt for Cancel.
    // An empty queue cancels.
    std::deque<std::optional<QStringList>> runPathAnswers;
    // Answers of a folder question, or std::nullopt for Cancel. An empty
    // queue cancels.
    std::deque<std::optional<QString>> folderAnswers;
    // Run while a window of ours is shown modally; afterwards a window that
    // is still open is closed as by its close box.
    std::deque<std::function<void(QDialog &)>> modalActions;

    // --- settings of the scripted machine
    bool otherInstance = false;
    QString settingsFile;
    // The program's cache folder; the Harness puts it in the test's folder.
    QString cacheFolder;
    QDateTime clock = QDateTime(QDate(2026, 3, 9), QTime(14, 5, 7));
    QString defaultPrinter;
    QStringList printers;
    // Every printer prints for real, to a PDF file print-<n>.pdf in
    // printFolder (the current directory when empty), on A4 with these
    // margins in millimetres. A printer named in failingPrinters cannot be
    // opened: its PDF file lies in a folder that does not exist.
    QString printFolder;
    QMarginsF printMargins;
    QStringList failingPrinters;
    QSize screen { 1280, 1024 };
    // Long work runs on the calling thread; with this set, the user presses
    // Cancel once the work has reported this many steps.
    std::optional<int> cancelWorkAfter;

    // --- what happened
    std::vector<RecordedMessage> messages;
    std::vector<FileDialogSpec> fileDialogs;
    std::vector<int> sleeps;
    int eventRounds = 0;
    int seeds = 0;
    QImage clipboard;
    std::vector<RecordedPrintJob> printJobs;
    // Each long work's reports, in order: (done, total).
    std::vector<std::pair<int, int>> workReports;
    // One line per call, in order: "message <title>", "file <title>",
    // "modal <object name>", "sleep <ms>", "events", "until <ms>", "instance", "settings",
    // "busy 1" and "busy 0", "printer <name>", "run <title>", "work <label>".
    QStringList log;

    MsgAnswer messageBox(const QString &text, const QString &title, MsgStyle style) override;
    int execModal(QDialog &window) override;
    void sleep(int milliseconds) override;
    void processEvents() override;
    // Logged as "until"; runs event passes (not counted in eventRounds)
    // until `done` holds, at most 100.
    void processEventsUntil(const std::function<bool()> &done, int maxMilliseconds) override;
    QDateTime now() override { return clock; }
    void seedRandomFromClock() override;
    float uniformRandom() override;
    bool anotherInstanceRunning() override;
    QString settingsFilePath() override;
    QString cacheFolderPath() override { return cacheFolder; }
    QString defaultPrinterName() override { return defaultPrinter; }
    QStringList printerNames() override { return printers; }
    std::unique_ptr<QPrinter> openPrinter(const QString &name) override;
    QSize screenSize() override { return screen; }
    void setClipboardImage(const QImage &image) override { clipboard = image; }
    void setBusyCursor(bool busy) override;
    std::optional<QStringList> askRunPaths(const QString &title) override;
    std::optional<QString> askFolder(const QString &title, const QString &start) override;
    bool runLongWork(
        const QString &label, const std::function<void(WorkProgress &)> &work) override;

protected:
    std::optional<QString> askFileName(const FileDialogSpec &spec) override;

private:
    std::mt19937 m_random { 12345 };
};
