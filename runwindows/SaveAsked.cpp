// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/SaveAsked.h"

#include "base/Platform.h"

#include <QDir>
#include <QFileInfo>

std::optional<SaveResult> SaveAsked(Platform &platform, const QString &title, const QString &folder,
    bool makeFolder, const SaveForm &form, const std::vector<const Scan *> &scans,
    const QStringList &sources)
{
    const QString shown = QDir::toNativeSeparators(folder);
    if (!QFileInfo(folder).isDir() && !(makeFolder && QDir().mkpath(folder))) {
        platform.messageBox(
            QStringLiteral("The folder\n%1\ncannot be made. Nothing was saved.").arg(shown), title,
            MsgStyle::Exclamation);
        return std::nullopt;
    }
    SaveRequest request { folder, form, false, sources };
    const QStringList existing = ExistingTargets(scans, folder, request.sources);
    if (!existing.isEmpty()) {
        QStringList names;
        for (const QString &path : existing)
            names << QFileInfo(path).fileName();
        if (names.size() > 12)
            names = names.mid(0, 12) << QStringLiteral("...");
        request.replaceExisting
            = platform.messageBox(QStringLiteral("%1 of these files are in\n%2 already:\n%3\n\n"
                                                 "Replace them? With No they are left as they "
                                                 "are and the others are saved.")
                                      .arg(existing.size())
                                      .arg(shown, names.join(QLatin1Char('\n'))),
                  title, MsgStyle::YesNo | MsgStyle::Question)
            == MsgAnswer::Yes;
    }
    const SaveResult result = SaveScans(scans, request);
    QString text = QStringLiteral("%1 of %2 scans saved in\n%3")
                       .arg(result.written.size())
                       .arg(scans.size())
                       .arg(shown);
    if (!result.failures.empty()) {
        QStringList lines;
        for (const ReadFailure &failure : result.failures)
            lines << QFileInfo(failure.path).fileName() + QStringLiteral(": ") + failure.reason;
        if (lines.size() > 20)
            lines = lines.mid(0, 20) << QStringLiteral("...");
        text += QStringLiteral("\n\nNot saved:\n") + lines.join(QLatin1Char('\n'));
    }
    platform.messageBox(
        text, title, result.failures.empty() ? MsgStyle::Information : MsgStyle::Exclamation);
    return result;
}
