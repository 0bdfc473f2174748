// SPDX-License-Identifier: GPL-3.0-or-later
// Printing through a real CUPS server to a real PDF printer (CUPS-PDF), with
// the program's own desktop platform: the printer list comes from CUPS, the
// job goes to it, and the PDF the printer writes is found and read. Only the
// dialogs are answered by the test. scripts/test starts the private server
// where it can and names it in the environment; without it the test skips.
#include "base/AppContext.h"
#include "core/NumLib.h"
#include "core/ProgramState.h"
#include "editor/PlotCanvas.h"
#include "editor/PlotWindow.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/StartUp.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <functional>
#include <memory>

namespace
{

// The real desktop platform, except that what would wait for a person is
// answered here: file dialogs from a list, message boxes recorded, our
// windows given an action to run, no sleeping.
class DesktopWithoutPerson : public QtPlatform
{
public:
    explicit DesktopWithoutPerson(const TestFolder &folder)
        : QtPlatform(folder.path(QStringLiteral("instance.lock")))
        , m_settings(folder.path(QStringLiteral("Kelvane.ini")))
    {
    }

    QStringList fileAnswers;
    std::function<void(QDialog &)> insideModal;
    QStringList messages;

    MsgAnswer messageBox(const QString &text, const QString &title, MsgStyle style) override
    {
        messages << title + QStringLiteral(": ") + text;
        return buttonsOf(style) == MsgStyle::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
    }
    int execModal(QDialog &window) override
    {
        window.show();
        QCoreApplication::processEvents();
        if (insideModal)
            insideModal(window);
        window.close();
        return window.result();
    }
    void sleep(int) override { }
    QString settingsFilePath() override { return m_settings; }

protected:
    std::optional<QString> askFileName(const FileDialogSpec &) override
    {
        if (fileAnswers.isEmpty())
            return std::nullopt;
        return fileAnswers.takeFirst();
    }

private:
    QString m_settings;
};

QSet<QString> pdfsIn(const QString &dir)
{
    const QStringList names = QDir(dir).entryList({ QStringLiteral("*.pdf") }, QDir::Files);
    return QSet<QString>(names.begin(), names.end());
}

// A new PDF in `dir` that the printer has finished writing, or "".
QString waitForNewPdf(const QString &dir, const QSet<QString> &before, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        for (const QString &name : pdfsIn(dir) - before) {
            QFile file(QDir(dir).filePath(name));
            if (file.open(QIODevice::ReadOnly) && file.size() > 0
                && file.readAll().trimmed().endsWith("%%EOF"))
                return file.fileName();
        }
        QThread::msleep(100);
    }
    return {};
}

} // namespace

TEST(EndToEnd, PrintsThePlotOnACupsPdfPrinter)
{
    const QString server = qEnvironmentVariable("KELVANE_CUPS_SERVER");
    const QString queue = qEnvironmentVariable("KELVANE_CUPS_QUEUE");
    const QString output = qEnvironmentVariable("KELVANE_CUPS_PDF_DIR");
    if (server.isEmpty() || queue.isEmpty() || output.isEmpty())
        GTEST_SKIP() << "no CUPS server with a PDF printer (scripts/test starts one where it can)";
    // Before anything asks CUPS: only the private server is seen.
    qputenv("CUPS_SERVER", server.toLocal8Bit());

    TestFolder folder;
    const QString previousDir = QDir::currentPath();
    QDir::setCurrent(folder.root());
    const QString scan = folder.path(QStringLiteral("radius-scan.dat"));
    QFile::copy(examplePath(QStringLiteral("radius-scan.dat")), scan);

    DesktopWithoutPerson platform(folder);
    NumLib numlib;
    auto state = std::make_unique<ProgramState>();
    AppContext app { *state, platform, numlib };
    std::unique_ptr<MainWindow> main = StartUp(app);
    ASSERT_TRUE(main);

    platform.fileAnswers << scan;
    main->action(MenuEntry::GetNewData)->trigger();
    ASSERT_GT(state->NumPts, 0);

    const QSet<QString> before = pdfsIn(output);
    QStringList listed;
    QString current;
    platform.insideModal = [&](QDialog &dialog) {
        auto &window = static_cast<PlotWindow &>(dialog);
        for (int round = 0; round < 100 && !window.canvas()->plot(); ++round)
            QCoreApplication::processEvents();
        for (QAction *item : window.printerItems()) {
            listed << item->text();
            if (item->text() == queue)
                item->trigger();
        }
        current = window.currentPrinter();
        window.printEntry()->trigger();
    };
    main->action(MenuEntry::DoPlotwork)->trigger();
    EXPECT_TRUE(listed.contains(queue)) << listed.join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(current, queue);
    EXPECT_TRUE(platform.messages.isEmpty())
        << platform.messages.join(QStringLiteral("\n")).toStdString();

    const QString pdf = waitForNewPdf(output, before, 60000);
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF from the printer in " << output.toStdString();
    EXPECT_TRUE(QFileInfo(pdf).fileName().startsWith(QStringLiteral("Sedora_plot")))
        << pdf.toStdString();
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), { pdf });
    info.waitForFinished(30000);
    const QString pages = QString::fromLocal8Bit(info.readAllStandardOutput());
    EXPECT_TRUE(pages.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\n"))))
        << pages.toStdString();
    QFile::remove(pdf);

    main.reset();
    QDir::setCurrent(previousDir);
}
