// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StartUp.h"
#include "base/WindowPlacement.h"
#include "shell/SplashWindow.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

TEST(StartUp, RunsItsStepsInOrder)
{
    Harness h;
    ASSERT_TRUE(h.window);
    const QStringList expected { QStringLiteral("instance"), QStringLiteral("events"),
        QStringLiteral("until 1000"), QStringLiteral("sleep 1750"), QStringLiteral("sleep 1000"),
        QStringLiteral("settings"), QStringLiteral("sleep 1000") };
    EXPECT_EQ(h.platform.log, expected);
    EXPECT_EQ(h.platform.eventRounds, 100);
    EXPECT_EQ(h.platform.sleeps, (std::vector<int> { 1750, 1000, 1000 }));

    EXPECT_EQ(h.state->AppVersion, QStringLiteral("0.999.0028"));
    EXPECT_EQ(h.window->windowTitle(), QStringLiteral("Sedora V0.999.0028"));
    EXPECT_TRUE(h.window->isVisible());
    EXPECT_FALSE(h.state->BlankLoaded);
    EXPECT_TRUE(h.state->ShowXY);
    EXPECT_FLOAT_EQ(h.state->NoiseRms, 0.01f);
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(StartUp, TheSplashIsPaintedBeforeItsPause)
{
    // At the splash's pause, the splash on the screen has been painted.
    class Watching : public ScriptedPlatform
    {
    public:
        void sleep(int milliseconds) override
        {
            if (milliseconds == 1750) {
                for (QWidget *top : QApplication::topLevelWidgets()) {
                    if (auto *splash = qobject_cast<SplashWindow *>(top))
                        paintedAtPause = splash->isVisible() && splash->isPainted();
                }
            }
            ScriptedPlatform::sleep(milliseconds);
        }
        bool paintedAtPause = false;
    };
    TestFolder folder;
    Watching platform;
    platform.settingsFile = folder.path(QStringLiteral("Kelvane.ini"));
    NumLib numlib;
    auto state = std::make_unique<ProgramState>();
    AppContext app { *state, platform, numlib };
    const auto window = StartUp(app);
    ASSERT_TRUE(window);
    EXPECT_TRUE(platform.paintedAtPause);
}

TEST(StartUp, ASecondInstanceIsToldAndEnds)
{
    TestFolder folder;
    ScriptedPlatform platform;
    platform.otherInstance = true;
    platform.settingsFile = folder.path(QStringLiteral("Kelvane.ini"));
    NumLib numlib;
    auto state = std::make_unique<ProgramState>();
    AppContext app { *state, platform, numlib };
    EXPECT_FALSE(StartUp(app));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, QStringLiteral("Cannot Run Multiple Copies of Program!"));
    EXPECT_EQ(platform.messages[0].title, QStringLiteral("Previous Instance"));
    EXPECT_EQ(int(platform.messages[0].style), 48);
    EXPECT_TRUE(platform.sleeps.empty());
    EXPECT_FALSE(QFile::exists(platform.settingsFile)) << "nothing else of the start-up runs";
}

TEST(StartUp, PrinterNameAndVersionText)
{
    EXPECT_EQ(BuildAppVersion(0, 999, 28), QStringLiteral("0.999.0028"));
    EXPECT_EQ(BuildAppVersion(1, 2, 3), QStringLiteral("1.2.0003"));
    const QChar nul(u'\0');
    EXPECT_EQ(StripTrailingNuls(QStringLiteral("Laser") + nul), QStringLiteral("Laser"));
    EXPECT_EQ(StripTrailingNuls(QStringLiteral("Laser") + nul + nul + nul),
        QStringLiteral("Laser") + nul);
    EXPECT_EQ(StripTrailingNuls(QString()), QString());

    Harness h; // the scripted default printer name is empty
    EXPECT_EQ(h.state->PrinterName, QString());
}

TEST(StartUp, SplashShowsItsTextsAtAQuarterOfTheScreen)
{
    SplashWindow splash(QSize(1280, 1024));
    EXPECT_EQ(splash.objectName(), QStringLiteral("Splash1"));
    EXPECT_EQ(splash.windowTitle(), QStringLiteral("Sedora V0.999"));
    QStringList texts;
    for (const QLabel *label : splash.findChildren<QLabel *>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("Sedora V0.999  for Win95 + WinNT")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Editing Program For Analytical")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Ultracentrifugation Data")));
    // By its outer size: with the frame seen on the windows before it.
    const QSize outer = splash.size().grownBy(LastFrameMargins());
    EXPECT_NEAR(splash.x(), (1280 - outer.width()) / 4.0, 0.5);
    EXPECT_NEAR(splash.y(), (1024 - outer.height()) / 4.0, 0.5);
}
