// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/AppContext.h"
#include "core/NumLib.h"
#include "core/ProgramState.h"
#include "shell/CommandLine.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/StartUp.h"

#include <QApplication>
#include <QFileInfo>

#include <memory>

int main(int argc, char *argv[])
{
    // Help, version, the report and usage errors before the application
    // exists: it needs a display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = ParseCommandLine(arguments);
    if (const std::optional<int> code = AnswerWithoutWindow(line))
        return *code;

    QApplication application(argc, argv);
    // Against the folder the program was started in.
    QStringList paths;
    for (const QString &path : line.files)
        paths << QFileInfo(path).absoluteFilePath();

    QtPlatform platform;
    NumLib numlib;
    auto state = std::make_unique<ProgramState>();
    AppContext app { *state, platform, numlib };

    const std::unique_ptr<MainWindow> window = StartUp(app);
    if (!window)
        return 0;
    platform.setDialogParent(window.get());
    if (line.run)
        window->openRunLater(paths, line.options);
    else if (!paths.isEmpty())
        window->openNamedFileLater(paths.constFirst());
    return QApplication::exec();
}
