// SPDX-License-Identifier: GPL-3.0-or-later
// What the run window and the ln c window write out: a table as CSV, asked
// for in a save dialog, and their plots as the editor's plots are written.
#pragma once

#include "editor/PlotOutput.h"

#include <QByteArray>
#include <QString>

class Platform;
class QWidget;

// Asks where (a save dialog titled `title`, offering `initialName`, asking
// before replacing a file) and writes `csv` there; a failure is told with
// the system's reason under the same title, `what` naming what was not
// saved. The current directory is as it was afterwards. True once written.
bool ExportCsv(Platform &platform, const QString &title, const QString &initialName,
    const QByteArray &csv, const QString &what = QStringLiteral("table"));

// The plot as SVG, PDF or PNG; PNG first asks for its resolution.
void ExportPicture(Platform &platform, QWidget *parent, PlotFileFormat format, const QSize &picture,
    const DrawPicture &draw);
