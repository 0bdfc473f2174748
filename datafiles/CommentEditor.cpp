// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/CommentEditor.h"

#include "base/AppContext.h"
#include "base/MainView.h"
#include "base/Platform.h"
#include "core/ProgramState.h"
#include "datafiles/TextFiles.h"
#include "datafiles/WorkFile.h"

#include <QDir>
#include <QFile>

#include <exception>
#include <optional>

namespace
{

void LocateCommentFile(ProgramState &state)
{
    state.WorkDir = QDir::currentPath();
    if (!state.WorkDir.endsWith(QLatin1Char('/')))
        state.WorkDir += QLatin1Char('/');
    state.CommentTmpPath = WorkFilesFolder(state) + QStringLiteral("~comment.tmp");
    if (FileExists(state.CommentTmpPath))
        QFile::remove(state.CommentTmpPath);
}

bool WriteScratch(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = file.write(text) == text.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

// Out to the scratch file and back; the text itself when either way fails.
QByteArray ThroughScratch(const QString &path, const QByteArray &text)
{
    if (!WriteScratch(path, text))
        return text;
    try {
        return ReadTextFile(path);
    } catch (const std::exception &) {
        return text;
    }
}

} // namespace

QByteArray CommentScratchText(const ProgramState &state)
{
    if (state.NumComments < 1)
        return QByteArray(" \r\n");
    QByteArray text;
    text.reserve(state.NumComments * (CommentSlotLength + 2));
    for (int k = 1; k <= state.NumComments; ++k) {
        text += state.CommentBuf.slot(k);
        text += "\r\n";
    }
    return text;
}

void StoreCommentLines(ProgramState &state, const QByteArray &text)
{
    int n = 0;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size && n < CommentSlots) {
        qsizetype end = start;
        while (end < size && text[end] != '\r' && text[end] != '\n')
            ++end;
        state.CommentBuf.setSlot(++n, text.mid(start, end - start));
        if (end < size && text[end] == '\r' && end + 1 < size && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    state.NumComments = n;
}

void EditComment1(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    LocateCommentFile(s);
    const std::optional<QByteArray> text
        = view.editCommentText(ThroughScratch(s.CommentTmpPath, CommentScratchText(s)));
    if (!text)
        return;
    LocateCommentFile(s);
    StoreCommentLines(s, ThroughScratch(s.CommentTmpPath, *text));
    RewriteWorkFile(s, view);
}
