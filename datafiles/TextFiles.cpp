// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/TextFiles.h"

#include "base/AppContext.h"
#include "base/Platform.h"

#include <QFile>
#include <QFileInfo>

#include <exception>
#include <stdexcept>

bool FileExists(const QString &name)
{
    const QFileInfo info(name);
    return info.isFile() && !info.isHidden();
}

QByteArray ReadTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(file.errorString().toStdString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error(file.errorString().toStdString());
    return bytes;
}

QString TabCaptionFor(const QString &path)
{
    const QString trimmed = path.trimmed();
    constexpr int longest = 18;
    if (trimmed.size() <= longest)
        return trimmed;
    return QStringLiteral("...") + trimmed.right(longest);
}

std::optional<ChosenFile> ChooseTextFile(
    AppContext &app, const QString &title, const QString &filter, const QString &kind)
{
    FileDialogSpec spec;
    spec.title = title;
    spec.filter = filter;
    spec.flags = FileDialogFlag::FileMustExist | FileDialogFlag::PathMustExist;
    const std::optional<QString> chosen = app.platform.fileDialog(spec);
    if (!chosen)
        return std::nullopt;
    return ReadChosenFile(app, *chosen, title, kind);
}

std::optional<ChosenFile> ReadChosenFile(
    AppContext &app, const QString &name, const QString &title, const QString &kind)
{
    try {
        return ChosenFile { name, ReadTextFile(name.trimmed()), QString() };
    } catch (const std::exception &error) {
        app.platform.messageBox(
            QStringLiteral("The %1\n%2\ncould not be read: %3")
                .arg(kind, name.trimmed(), QString::fromLocal8Bit(error.what())),
            title, MsgStyle::Exclamation);
        return std::nullopt;
    }
}
