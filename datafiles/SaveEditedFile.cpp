// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/SaveEditedFile.h"

#include "base/AppContext.h"
#include "base/FileReplace.h"
#include "base/NumberFormat.h"
#include "base/Platform.h"
#include "base/ProgramState.h"
#include "datafiles/WorkFile.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <exception>
#include <stdexcept>

QByteArray EditedDataText(
    const char *comments, int numComments, const float *points, int first, int last, bool Radius)
{
    QByteArray text;
    for (int k = 0; k < numComments; ++k) {
        text.append(comments + size_t(k) * CommentSlotLength, CommentSlotLength);
        text += "\r\n";
    }
    if (last >= first)
        text.reserve(text.size() + (last - first + 1) * 42);
    for (int i = first; i <= last; ++i) {
        const float *point = points + size_t(3) * size_t(i - 1);
        if (Radius) {
            AppendPointLine(text, "   ", point[0], NumberFormat::Fixed5, point[1], point[2], 3);
        } else {
            const double x = point[0];
            AppendPointLine(
                text, "  ", x * x / 2.0, NumberFormat::Fixed5TwoDigits, point[1], point[2], 3);
        }
        text += "\r\n";
    }
    return text;
}

QByteArray EditedFileText(const ProgramState &state, bool Complete, bool Radius)
{
    // The bounds are read once, before the first line. Bounds outside the
    // data set (nothing loaded yet, or a load that found no points) have no
    // points of this data set to write.
    const int first = Complete ? 1 : std::max(state.FirstIdx, 1);
    const int last = Complete ? state.NumPts : std::min(state.LastIdx, state.NumPts);
    if (state.NumComments > CommentSlots || (last >= first && last > PointCapacity))
        throw std::out_of_range("index beyond the data set's arrays");
    return EditedDataText(state.CommentBuf.data(), std::max(state.NumComments, 0),
        state.DataPts.data(), first, last, Radius);
}

void SaveEditedFile(AppContext &app, bool Complete, bool Radius)
{
    FileDialogSpec spec;
    spec.save = true;
    spec.maxFileSize = 127;
    spec.title = QStringLiteral("Edited DataSet Name");
    spec.initialName = QString();
    spec.filter = QStringLiteral("New Data File | *.*");
    spec.flags = FileDialogFlag::CreatePrompt | FileDialogFlag::OverwritePrompt;
    const std::optional<QString> chosen = app.platform.fileDialog(spec);
    if (!chosen)
        return;

    QString problem;
    try {
        problem = ReplaceFileContents(*chosen, EditedFileText(app.state, Complete, Radius));
    } catch (const std::exception &error) {
        problem = QString::fromLocal8Bit(error.what());
    }
    if (problem.isEmpty())
        return;
    app.platform.messageBox(QCoreApplication::translate("SaveEditedFile",
                                "Error in SaveEditedFile!  The data set was not "
                                "saved to\n%1\n\n%2\n\nNothing was changed; your "
                                "edits are still here.")
                                .arg(QDir::toNativeSeparators(*chosen), problem),
        QStringLiteral("Output File Error"), MsgStyle::Exclamation);
}
