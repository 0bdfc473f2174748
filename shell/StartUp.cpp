#include "shell/StartUp.h"

#include "shell/AppContext.h"
#include "shell/MainWindow.h"
#include "shell/Platform.h"
#include "shell/ProgramState.h"
#include "shell/Settings.h"
#include "shell/SplashWindow.h"

namespace
{
constexpr int VersionMajor = 0;
constexpr int VersionMinor = 999;
constexpr int VersionRevision = 28;
} // namespace

QString BuildAppVersion(int major, int minor, int revision)
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision, 4, 10, QLatin1Char('0'));
}

QString StripTrailingNuls(QString text)
{
    for (int i = 0; i < 2 && text.endsWith(QChar(u'\0')); ++i)
        text.chop(1);
    return text;
}

std::unique_ptr<MainWindow> StartUp(AppContext &app)
{
    ProgramState &s = app.state;
    Platform &platform = app.platform;
    if (platform.anotherInstanceRunning()) {
        platform.messageBox(QStringLiteral("Cannot Run Multiple Copies of Program!"),
            QStringLiteral("Previous Instance"), MsgStyle::Exclamation);
        return nullptr;
    }
    s.AppVersion = BuildAppVersion(VersionMajor, VersionMinor, VersionRevision);
    s.PrinterName = StripTrailingNuls(platform.defaultPrinterName());

    s.ShowXY = true;
    s.NoiseRms = 0.01f;
    s.NoiseAdded = false;
    s.GoodRed = 0;
    s.GoodGreen = 127;
    s.GoodBlue = 0;
    s.DelRed = 255;
    s.DelGreen = 0;
    s.DelBlue = 0;

    {
        SplashWindow splash(platform.screenSize());
        splash.show();
        for (int i = 0; i < 100; ++i)
            platform.processEvents();
        platform.sleep(1750);
    }
    platform.sleep(1000);

    ReadSettings(app);

    auto window = std::make_unique<MainWindow>(app);
    platform.sleep(1000);
    window->show();
    s.BlankLoaded = false;
    window->setWindowTitle(QStringLiteral("Sedora V") + s.AppVersion.trimmed());
    return window;
}
