// SPDX-License-Identifier: GPL-3.0-or-later
// A started program with a generated run in "run" under its private folder,
// and the run window's dialogs answered as a user answers them.
#pragma once

#include "support/Harness.h"
#include "support/RunGenerator.h"

class RunWindow;

struct RunEditRig : Harness {
    explicit RunEditRig(RunPlan chosen);

    // File > Open Run... on the run; the window it opened, or null.
    RunWindow *openRun();
    void chooseAll(RunWindow &w);
    // Edit > Apply Range... answered with these radii.
    void applyRange(RunWindow &w, const QString &from, const QString &to);
    // File > Save Selected... into `out`, in this layout.
    void saveSelected(RunWindow &w, const QString &out, bool complete, bool radius);

    RunPlan plan;
    QString root = folder.path(QStringLiteral("run"));
};
