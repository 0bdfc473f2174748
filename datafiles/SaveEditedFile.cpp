// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/SaveEditedFile.h"

#include "base/AppContext.h"
#include "base/Platform.h"
#include "core/DataFileText.h"
#include "core/FileReplace.h"
#include "core/NumberFormat.h"
#include "core/ProgramState.h"
#include "datafiles/WorkFile.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <exception>
#include <stdexcept>

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
