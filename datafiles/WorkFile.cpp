// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/WorkFile.h"

#include "base/MainView.h"
#include "core/DataFileText.h"
#include "core/NumberFormat.h"
#include "core/ProgramState.h"
#include "datafiles/TextFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

QByteArray WorkFileText(const ProgramState &state, FlagGap gap)
{
    QByteArray text;
    text.reserve(state.NumComments * 98 + state.NumPts * 42);
    for (int k = 1; k <= state.NumComments; ++k) {
        text += state.CommentBuf.slot(k);
        text += "\r\n";
    }
    const int flagGap = gap == FlagGap::Two ? 2 : 3;
    for (int i = 1; i <= state.NumPts; ++i) {
        AppendPointLine(text, "   ", state.DataPts.x(i), NumberFormat::Fixed5,
            state.DataPts.conc(i), state.DataPts.flag(i), flagGap);
        text += "\r\n";
    }
    return text;
}

std::vector<int> RemovedPointLines(const ProgramState &state)
{
    std::vector<int> lines;
    for (int i = 1; i <= state.NumPts; ++i) {
        if (!(state.DataPts.flag(i) > 0.0f))
            lines.push_back(state.NumComments + i - 1);
    }
    return lines;
}

void LocateWorkFile(ProgramState &state)
{
    state.WorkDir = QDir::currentPath();
    if (!state.WorkDir.endsWith(QLatin1Char('/')))
        state.WorkDir += QLatin1Char('/');
    state.TmpPath = WorkFilesFolder(state) + QStringLiteral("~kelvane.tmp");
    if (FileExists(state.TmpPath))
        QFile::remove(state.TmpPath);
}

QString WorkFilesFolder(const ProgramState &state)
{
    return state.WorkFilesDir.isEmpty() ? state.WorkDir : state.WorkFilesDir;
}

QString MakeWorkFilesFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return {};
    const QString above = info.absolutePath();
    if (above != info.absoluteFilePath()) {
        const QString why = MakeWorkFilesFolder(above);
        if (!why.isEmpty())
            return why;
    }
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QFileInfo(folder).isDir() ? QString() : QString::fromLocal8Bit(std::strerror(ENOTDIR));
}

void WriteWorkFile(ProgramState &state, MainView &view, FlagGap gap)
{
    const QByteArray text = WorkFileText(state, gap);
    QFile file(state.TmpPath);
    QString problem;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        problem = file.errorString();
    else if (file.write(text) != text.size() || !file.flush())
        problem = file.errorString();
    file.close();
    if (problem.isEmpty() && file.error() != QFileDevice::NoError)
        problem = file.errorString();
    view.setViewText(ViewTab::EditedDataFile, text);
    view.setRemovedLines(ViewTab::EditedDataFile, RemovedPointLines(state));
    if (problem.isEmpty()) {
        view.setNotice(QString());
    } else {
        view.setNotice(QCoreApplication::translate("WorkFile",
            "The working file %1 could not be written (%2). "
            "The Edited Data File view shows the data set from memory.")
                           .arg(QDir::toNativeSeparators(state.TmpPath), problem));
    }
}

void RewriteWorkFile(ProgramState &state, MainView &view, FlagGap gap)
{
    LocateWorkFile(state);
    WriteWorkFile(state, view, gap);
}
