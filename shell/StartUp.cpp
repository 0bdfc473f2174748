// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StartUp.h"

#include "base/AppContext.h"
#include "base/Platform.h"
#include "base/Settings.h"
#include "core/ProgramState.h"
#include "shell/MainWindow.h"
#include "shell/SplashWindow.h"
#include "shell/Version.h"

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
    s.AppVersion = BuildAppVersion(Version::Major, Version::Minor, Version::Revision);
    s.PrinterName = StripTrailingNuls(platform.defaultPrinterName());

    s.ShowXY = true;
    s.NoiseRms = DefaultNoiseRms;
    s.NoiseAdded = false;
    SetColours(s, DefaultColours);

    {
        SplashWindow splash(platform.screenSize(), platform.availableArea());
        splash.show();
        for (int i = 0; i < 100; ++i)
            platform.processEvents();
        // The pause below blocks painting: the splash must be on the screen first.
        platform.processEventsUntil([&splash] { return splash.isPainted(); }, 1000);
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
