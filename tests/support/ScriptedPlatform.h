// The platform for tests: dialogs and message boxes answer from queues, our
// windows run a queued test action instead of blocking, and everything asked
// is recorded in order, so commands run headless through the real windows.
#pragma once

#include "shell/Platform.h"

#include <QDialog>

#include <deque>
#include <functional>
#include <random>
#include <vector>

struct RecordedMessage {
    QString text;
    QString title;
    int style;
};

class ScriptedPlatform : public Platform
{
public:
    // --- answers, consumed in order
    // A file name, or std::nullopt for Cancel. An empty queue cancels.
    std::deque<std::optional<QString>> fileAnswers;
    // MsgAnswer values; an empty queue answers Yes to a question, else Ok.
    std::deque<int> messageAnswers;
    // Run while a window of ours is shown modally; afterwards a window that
    // is still open is closed as by its close box.
    std::deque<std::function<void(QDialog &)>> modalActions;

    // --- settings of the scripted machine
    bool otherInstance = false;
    QString settingsFile;
    QDateTime clock = QDateTime(QDate(2026, 3, 9), QTime(14, 5, 7));
    QString defaultPrinter;
    QStringList printers;
    QSize screen{1280, 1024};

    // --- what happened
    std::vector<RecordedMessage> messages;
    std::vector<FileDialogSpec> fileDialogs;
    std::vector<int> sleeps;
    int eventRounds = 0;
    int seeds = 0;
    QImage clipboard;
    // One line per call, in order: "message <title>", "file <title>",
    // "modal <object name>", "sleep <ms>", "events", "instance", "settings".
    QStringList log;

    int messageBox(const QString &text, const QString &title, int style) override;
    int execModal(QDialog &window) override;
    void sleep(int milliseconds) override;
    void processEvents() override;
    QDateTime now() override { return clock; }
    void seedRandomFromClock() override;
    float uniformRandom() override;
    bool anotherInstanceRunning() override;
    QString settingsFilePath() override;
    QString defaultPrinterName() override { return defaultPrinter; }
    QStringList printerNames() override { return printers; }
    QSize screenSize() override { return screen; }
    void setClipboardImage(const QImage &image) override { clipboard = image; }
    void setBusyCursor(bool busy) override;

protected:
    std::optional<QString> askFileName(const FileDialogSpec &spec) override;

private:
    std::mt19937 m_random{12345};
};
