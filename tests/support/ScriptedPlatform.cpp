// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

ScriptedPlatform::~ScriptedPlatform()
{
    EXPECT_TRUE(fileAnswers.empty()) << fileAnswers.size() << " file dialog answer(s) left unused";
    EXPECT_TRUE(runPathAnswers.empty())
        << runPathAnswers.size() << " Open Run answer(s) left unused";
    EXPECT_TRUE(messageAnswers.empty())
        << messageAnswers.size() << " message box answer(s) left unused";
    EXPECT_TRUE(folderAnswers.empty()) << folderAnswers.size() << " folder answer(s) left unused";
    EXPECT_TRUE(modalActions.empty()) << modalActions.size() << " modal action(s) left unused";
}

MsgAnswer ScriptedPlatform::messageBox(const QString &text, const QString &title, MsgStyle style)
{
    messages.push_back({ text, title, style });
    log << QStringLiteral("message ") + title;
    if (!messageAnswers.empty()) {
        const MsgAnswer answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    return buttonsOf(style) == MsgStyle::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
}

std::optional<QString> ScriptedPlatform::askFileName(const FileDialogSpec &spec)
{
    fileDialogs.push_back(spec);
    log << QStringLiteral("file ") + spec.title;
    if (fileAnswers.empty())
        return std::nullopt;
    const bool chosen = fileAnswers.front().has_value();
    const QString name = chosen ? *fileAnswers.front() : QString();
    fileAnswers.pop_front();
    if (!chosen)
        return std::nullopt;
    return name;
}

std::optional<QStringList> ScriptedPlatform::askRunPaths(const QString &title)
{
    log << QStringLiteral("run ") + title;
    if (runPathAnswers.empty())
        return std::nullopt;
    const std::optional<QStringList> answer = runPathAnswers.front();
    runPathAnswers.pop_front();
    if (answer && answer->size() == 1 && QFileInfo(answer->constFirst()).isDir())
        QDir::setCurrent(answer->constFirst());
    return answer;
}

std::optional<QString> ScriptedPlatform::askFolder(const QString &title, const QString &)
{
    log << QStringLiteral("folder ") + title;
    if (folderAnswers.empty())
        return std::nullopt;
    const std::optional<QString> answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

bool ScriptedPlatform::runLongWork(
    const QString &label, const std::function<void(WorkProgress &)> &work)
{
    log << QStringLiteral("work ") + label;
    struct Scripted : WorkProgress {
        ScriptedPlatform &platform;
        int reports = 0;
        bool stop = false;
        explicit Scripted(ScriptedPlatform &p)
            : platform(p)
        {
        }
        void report(int done, int total) override
        {
            platform.workReports.emplace_back(done, total);
            if (platform.cancelWorkAfter && ++reports >= *platform.cancelWorkAfter)
                stop = true;
        }
        bool cancelled() const override { return stop; }
    } progress(*this);
    work(progress);
    return !progress.stop;
}

int ScriptedPlatform::execModal(QDialog &window)
{
    log << QStringLiteral("modal ") + window.objectName();
    window.setModal(true);
    window.show();
    QCoreApplication::processEvents();
    if (!modalActions.empty()) {
        const auto action = modalActions.front();
        modalActions.pop_front();
        action(window);
        QCoreApplication::processEvents();
    }
    if (window.isVisible())
        window.close();
    return window.result();
}

void ScriptedPlatform::sleep(int milliseconds)
{
    sleeps.push_back(milliseconds);
    log << QStringLiteral("sleep %1").arg(milliseconds);
}

void ScriptedPlatform::processEvents()
{
    ++eventRounds;
    if (log.isEmpty() || log.back() != QLatin1String("events"))
        log << QStringLiteral("events");
    QCoreApplication::processEvents();
}

void ScriptedPlatform::processEventsUntil(const std::function<bool()> &done, int maxMilliseconds)
{
    log << QStringLiteral("until %1").arg(maxMilliseconds);
    for (int i = 0; i < 100 && !done(); ++i)
        QCoreApplication::processEvents();
}

void ScriptedPlatform::seedRandomFromClock()
{
    ++seeds;
    m_random.seed(std::mt19937::result_type(12345 + seeds));
}

float ScriptedPlatform::uniformRandom()
{
    return float(m_random() >> 8) * (1.0f / 16777216.0f);
}

bool ScriptedPlatform::anotherInstanceRunning()
{
    log << QStringLiteral("instance");
    return otherInstance;
}

QString ScriptedPlatform::settingsFilePath()
{
    log << QStringLiteral("settings");
    return settingsFile;
}

void ScriptedPlatform::setBusyCursor(bool busy)
{
    log << QStringLiteral("busy %1").arg(busy);
}

std::unique_ptr<QPrinter> ScriptedPlatform::openPrinter(const QString &name)
{
    log << QStringLiteral("printer ") + name;
    if (!printers.contains(name))
        return nullptr;
    const QDir folder(printFolder.isEmpty() ? QDir::currentPath() : printFolder);
    const QString file = QStringLiteral("print-%1.pdf").arg(printJobs.size() + 1);
    const QString pdf = failingPrinters.contains(name)
        ? folder.filePath(QStringLiteral("no such folder/") + file)
        : folder.filePath(file);
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);
    printer->setPageLayout(QPageLayout(
        QPageSize(QPageSize::A4), QPageLayout::Portrait, printMargins, QPageLayout::Millimeter));
    printJobs.push_back({ name, pdf });
    return printer;
}
