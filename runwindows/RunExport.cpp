// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/RunExport.h"

#include "base/Platform.h"
#include "core/FileReplace.h"
#include "editor/ResolutionDialog.h"

#include <QDir>

bool ExportCsv(Platform &platform, const QString &title, const QString &initialName,
    const QByteArray &csv, const QString &what)
{
    FileDialogSpec spec;
    spec.save = true;
    spec.title = title;
    spec.filter = QStringLiteral("CSV table | *.csv");
    spec.initialName = initialName;
    spec.flags = FileDialogFlag::OverwritePrompt | FileDialogFlag::PathMustExist;
    spec.defaultExt = QStringLiteral("csv");
    const QString workDir = QDir::currentPath();
    const std::optional<QString> chosen = platform.fileDialog(spec);
    QDir::setCurrent(workDir);
    if (!chosen)
        return false;
    const QString problem = ReplaceFileContents(*chosen, csv);
    if (problem.isEmpty())
        return true;
    platform.messageBox(QStringLiteral("The %1 was not saved to\n%2\n\n%3")
                            .arg(what, QDir::toNativeSeparators(*chosen), problem),
        title, MsgStyle::Exclamation);
    return false;
}

void ExportPicture(Platform &platform, QWidget *parent, PlotFileFormat format, const QSize &picture,
    const DrawPicture &draw)
{
    int dotsPerInch = 96;
    if (format == PlotFileFormat::Png) {
        ResolutionDialog dialog(parent);
        if (platform.execModal(dialog) != QDialog::Accepted)
            return;
        dotsPerInch = dialog.dotsPerInch();
    }
    SavePlotFile(platform, QDir::currentPath(), format, picture, draw, dotsPerInch);
}
