// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Settings.h"
#include "base/AppContext.h"
#include "core/NumLib.h"
#include "core/Profile.h"
#include "core/ProgramState.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

struct SettingsRig {
    TestFolder folder;
    ScriptedPlatform platform;
    NumLib numlib;
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    AppContext app { *state, platform, numlib };
    SettingsRig() { platform.settingsFile = folder.path(QStringLiteral("Kelvane.ini")); }
    void settings(const QByteArray &text) { folder.write(QStringLiteral("Kelvane.ini"), text); }
    std::array<int, 6> colours() const
    {
        return { state->GoodRed, state->GoodGreen, state->GoodBlue, state->DelRed, state->DelGreen,
            state->DelBlue };
    }
};

} // namespace

TEST(Settings, MissingKeysKeepTheDefaults)
{
    SettingsRig s;
    s.settings("[GoodData]\nRed=12\n");
    ReadSettings(s.app);
    EXPECT_EQ(s.colours(), (std::array<int, 6> { 12, 127, 0, 255, 0, 0 }));

    SettingsRig none;
    ReadSettings(none.app);
    EXPECT_EQ(none.colours(), (std::array<int, 6> { 0, 127, 0, 255, 0, 0 }));
}

TEST(Settings, ColoursOutsideTheRangeNeverCorruptTheState)
{
    SettingsRig s;
    s.settings("[GoodData]\nRed=abc\nGreen=300\nBlue=-5\n"
               "[DeletedData]\nRed=99999999999999\nGreen= 7 \nBlue=\n");
    ReadSettings(s.app);
    EXPECT_EQ(s.colours(), (std::array<int, 6> { 0, 255, 0, 255, 7, 0 }));
}

TEST(Settings, EveryValueFrom0To255ReadsBackUnchanged)
{
    for (int v = 0; v <= 255; ++v) {
        SettingsRig s;
        s.settings(QStringLiteral("[DeletedData]\nBlue=%1\n").arg(v).toLatin1());
        ReadSettings(s.app);
        ASSERT_EQ(s.state->DelBlue, v);
    }
}

TEST(Settings, StartWritesTheLastAccessAndExitWritesTheColours)
{
    SettingsRig s;
    s.platform.clock = QDateTime(QDate(2026, 3, 9), QTime(7, 5, 3));
    ReadSettings(s.app);
    const QString file = s.platform.settingsFile;
    EXPECT_EQ(GetProfileString(file, "LastAccess", "Date", "", 64), "03-09-2026");
    EXPECT_EQ(GetProfileString(file, "LastAccess", "Time", "", 64), "07:05:03");
    EXPECT_FALSE(readFileBytes(file).contains("GoodData")) << "colours are written only at exit";

    s.state->GoodRed = 1;
    s.state->DelGreen = 200;
    WriteColourSettings(s.app);
    EXPECT_EQ(GetProfileInt(file, "GoodData", "Red", -1), 1);
    EXPECT_EQ(GetProfileInt(file, "GoodData", "Green", -1), 127);
    EXPECT_EQ(GetProfileInt(file, "DeletedData", "Green", -1), 200);
    EXPECT_EQ(GetProfileString(file, "LastAccess", "Time", "", 64), "07:05:03");
}
