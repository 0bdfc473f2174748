// SPDX-License-Identifier: GPL-3.0-or-later
// Scans of a run saved into a folder the user chose, as Save Selected and
// Save Equilibrium Scans do: the folder made when the user agreed, a
// question before files there are replaced, and what was saved and what
// not told in one message.
#pragma once

#include "runs/ScanSave.h"

#include <optional>
#include <vector>

class Platform;

// Nothing when the folder cannot be made (said under `title`).
std::optional<SaveResult> SaveAsked(Platform &platform, const QString &title, const QString &folder,
    bool makeFolder, const SaveForm &form, const std::vector<const Scan *> &scans,
    const QStringList &sources);
