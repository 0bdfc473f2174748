// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/AppContext.h"
#include "base/Settings.h"
#include "core/NumLib.h"
#include "core/ProgramState.h"
#include "core/RecentFileList.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

QStringList names(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *name : list)
        result << QString::fromUtf8(name);
    return result;
}

RecentFileList pushed(std::initializer_list<const char *> list)
{
    RecentFileList recent;
    for (const char *name : list)
        recent.push(QString::fromUtf8(name));
    return recent;
}

} // namespace

TEST(RecentFiles, NewestFirstEachOnceAtMostEight)
{
    const struct {
        const char *name;
        RecentFileList list;
        QStringList expected;
    } rows[] = {
        { "newest first", pushed({ "/a", "/b", "/c" }), names({ "/c", "/b", "/a" }) },
        { "a repeat moves to the front", pushed({ "/a", "/b", "/c", "/a" }),
            names({ "/a", "/c", "/b" }) },
        { "one file under two spellings", pushed({ "/d/a", "/b", "/d/./x/../a" }),
            names({ "/d/a", "/b" }) },
        { "the oldest falls off", pushed({ "/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9" }),
            names({ "/9", "/8", "/7", "/6", "/5", "/4", "/3", "/2" }) },
        { "empty paths are no files", pushed({ "/a", "", "/b" }), names({ "/b", "/a" }) },
    };
    for (const auto &row : rows)
        EXPECT_EQ(row.list.paths(), row.expected) << row.name;
}

TEST(RecentFiles, RemoveAndAssign)
{
    RecentFileList recent = pushed({ "/a", "/b", "/c" });
    EXPECT_TRUE(recent.remove(QStringLiteral("/b")));
    EXPECT_FALSE(recent.remove(QStringLiteral("/b")));
    EXPECT_EQ(recent.paths(), names({ "/c", "/a" }));

    // As read from a settings file someone edited by hand: gaps, repeats,
    // too many.
    recent.assign(names({ "/1", "", "/2", "/1", "/3", "/4", "/5", "/6", "/7", "/8", "/9" }));
    EXPECT_EQ(recent.paths(), names({ "/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8" }));
}

TEST(RecentFiles, SurviveTheSettingsFileInTheirOwnSection)
{
    TestFolder folder;
    ScriptedPlatform platform;
    platform.settingsFile = folder.write(QStringLiteral("Kelvane.ini"),
        "[GoodData]\nRed=12\n[RecentFiles]\nFile1=\"/old one.dat\"\n");
    NumLib numlib;
    auto state = std::make_unique<ProgramState>();
    AppContext app { *state, platform, numlib };

    // Names that an INI file could bend: blanks at the ends, "=", ";", a
    // quote, letters beyond Latin-1.
    const QStringList paths = { QStringLiteral("/data/ scan 1.dat "),
        QStringLiteral("/data/a=b;c.dat"), QStringLiteral("/data/\"q\".dat"),
        QStringLiteral("/data/Zentrifuge \u00e4\u4e2d.dat") };
    state->RecentFiles.assign(paths);
    ASSERT_TRUE(WriteRecentFiles(app));

    auto next = std::make_unique<ProgramState>();
    AppContext again { *next, platform, numlib };
    ReadSettings(again);
    EXPECT_EQ(next->RecentFiles.paths(), paths);
    EXPECT_EQ(next->GoodRed, 12) << "the other settings stay";
    const QString file = platform.settingsFile;
    EXPECT_EQ(GetProfileString(file, "RecentFiles", "File2", "", 256), "/data/a=b;c.dat");
    EXPECT_EQ(GetProfileString(file, "RecentFiles", "File5", "gone", 256), "")
        << "unused keys are emptied, not left over";

    // A shorter list later leaves nothing of the longer one behind.
    next->RecentFiles.assign({ QStringLiteral("/only.dat") });
    ASSERT_TRUE(WriteRecentFiles(again));
    ReadSettings(app);
    EXPECT_EQ(state->RecentFiles.paths(), QStringList { QStringLiteral("/only.dat") });
}
