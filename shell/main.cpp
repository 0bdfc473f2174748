#include "base/AppContext.h"
#include "base/NumLib.h"
#include "base/ProgramState.h"
#include "shell/CommandLine.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/StartUp.h"

#include <QApplication>
#include <QFileInfo>

#include <memory>

int main(int argc, char *argv[])
{
    // --help and --version before the application exists: it needs a display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> code = AnswerWithoutWindow(ParseCommandLine(arguments), false))
        return *code;

    QApplication application(argc, argv);
    // The toolkit has taken out its own options (-platform, -style, ...).
    const CommandLine line = ParseCommandLine(QCoreApplication::arguments().mid(1));
    if (const std::optional<int> code = AnswerWithoutWindow(line, true))
        return *code;
    // Against the folder the program was started in.
    const QString file
        = line.files.isEmpty() ? QString() : QFileInfo(line.files.constFirst()).absoluteFilePath();

    QtPlatform platform;
    NumLib numlib;
    auto state = std::make_unique<ProgramState>();
    AppContext app { *state, platform, numlib };

    const std::unique_ptr<MainWindow> window = StartUp(app);
    if (!window)
        return 0;
    platform.setDialogParent(window.get());
    if (!file.isEmpty())
        window->openNamedFileLater(file);
    return QApplication::exec();
}
