// SPDX-License-Identifier: GPL-3.0-or-later
// A started program for window tests: state, scripted platform, the real
// library, and the main window as start-up leaves it, in a private current
// directory with a private settings file and cache folder.
#pragma once

#include "base/AppContext.h"
#include "core/NumLib.h"
#include "core/ProgramState.h"
#include "shell/MainWindow.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QDir>

#include <memory>
#include <string>
#include <vector>

class Harness
{
public:
    // The library is looked for as the program looks for it, unless a test
    // names other candidates; the scripted screen is 1280 x 1024 unless a
    // test gives another.
    explicit Harness(std::vector<std::string> libraryCandidates = NumLib::defaultCandidates(),
        QSize screen = QSize(1280, 1024));
    ~Harness();

    // Copies an example scan into the private folder and returns its path.
    QString example(const QString &name);
    // Chooses `path` in the next file dialog and triggers the menu entry.
    void choose(const QString &path, MenuEntry entry);
    void trigger(MenuEntry entry);
    // The working file's bytes ("" when it does not exist).
    QByteArray workFile() const;

    TestFolder folder;
    ScriptedPlatform platform;
    NumLib numlib;
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    AppContext app { *state, platform, numlib };
    std::unique_ptr<MainWindow> window;

private:
    QString m_previousDir;
};
