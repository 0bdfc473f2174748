#include "shell/AppContext.h"
#include "shell/MainWindow.h"
#include "shell/NumLib.h"
#include "shell/ProgramState.h"
#include "shell/QtPlatform.h"
#include "shell/StartUp.h"

#include <QApplication>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QtPlatform platform;
    NumLib numlib;
    auto state = std::make_unique<ProgramState>();
    AppContext app { *state, platform, numlib };

    const std::unique_ptr<MainWindow> window = StartUp(app);
    if (!window)
        return 0;
    platform.setDialogParent(window.get());
    return QApplication::exec();
}
