// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Platform.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QThread>

std::optional<QString> Platform::fileDialog(const FileDialogSpec &spec)
{
    for (;;) {
        const std::optional<QString> answer = askFileName(spec);
        if (!answer)
            return std::nullopt;
        QFileInfo chosen(*answer);
        if (spec.save && !spec.defaultExt.isEmpty() && chosen.suffix().isEmpty())
            chosen.setFile(*answer + QLatin1Char('.') + spec.defaultExt);
        const QString name = chosen.fileName();
        if (!spec.save && (spec.flags & FileDialogFlag::FileMustExist) && !chosen.isFile()) {
            messageBox(
                name + QStringLiteral("\nFile not found.\nCheck the file name and try again."),
                spec.title, MsgStyle::Exclamation);
            continue;
        }
        if (spec.save && chosen.exists() && (spec.flags & FileDialogFlag::OverwritePrompt)) {
            if (messageBox(name + QStringLiteral(" already exists.\nDo you want to replace it?"),
                    spec.title, MsgStyle::Exclamation | MsgStyle::YesNo)
                != MsgAnswer::Yes)
                continue;
        }
        if (spec.save && !chosen.exists() && (spec.flags & FileDialogFlag::CreatePrompt)) {
            if (messageBox(name
                        + QStringLiteral(
                            "\nThis file does not exist.\nDo you want to create the file?"),
                    spec.title, MsgStyle::Question | MsgStyle::YesNo)
                != MsgAnswer::Yes)
                continue;
        }
        QDir::setCurrent(chosen.absolutePath());
        return chosen.absoluteFilePath();
    }
}

QString Platform::qtNameFilter(const QString &filter)
{
    const int bar = filter.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return filter.trimmed();
    const QString description = filter.left(bar).trimmed();
    QString pattern = filter.mid(bar + 1).trimmed();
    // "*.*" means every file on the desktop it came from; here many files
    // have no dot at all.
    if (pattern == QLatin1String("*.*"))
        pattern = QStringLiteral("*");
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    return description + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

std::optional<QStringList> Platform::askRunPaths(const QString &)
{
    return std::nullopt;
}

std::optional<QString> Platform::askFolder(const QString &, const QString &)
{
    return std::nullopt;
}

bool Platform::runLongWork(const QString &, const std::function<void(WorkProgress &)> &work)
{
    struct Unwatched : WorkProgress {
        void report(int, int) override { }
        bool cancelled() const override { return false; }
    } progress;
    work(progress);
    return true;
}

std::unique_ptr<QPrinter> Platform::openPrinter(const QString &)
{
    return nullptr;
}

void Platform::processEventsUntil(const std::function<bool()> &done, int maxMilliseconds)
{
    const QDeadlineTimer deadline(maxMilliseconds);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    QCoreApplication::processEvents(); // what was painted last reaches the screen
}
