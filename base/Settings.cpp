// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Settings.h"

#include "base/AppContext.h"
#include "base/Platform.h"
#include "core/Profile.h"
#include "core/ProgramState.h"

#include <QFile>

#include <algorithm>

namespace
{

struct ColourKey {
    const char *section;
    const char *key;
    int16_t ProgramState::*field;
};

constexpr ColourKey colourKeys[] = {
    { "GoodData", "Red", &ProgramState::GoodRed },
    { "GoodData", "Green", &ProgramState::GoodGreen },
    { "GoodData", "Blue", &ProgramState::GoodBlue },
    { "DeletedData", "Red", &ProgramState::DelRed },
    { "DeletedData", "Green", &ProgramState::DelGreen },
    { "DeletedData", "Blue", &ProgramState::DelBlue },
};

int16_t readColour(const ProfileReader &settings, const ColourKey &colour, int16_t current)
{
    const QByteArray text = settings.getString(colour.section, colour.key, QByteArray(), 256);
    const char *p = text.constData();
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (*p < '0' || *p > '9')
        return current;
    long value = 0;
    for (; *p >= '0' && *p <= '9' && value <= 255; ++p)
        value = value * 10 + (*p - '0');
    return int16_t(negative ? 0 : std::min(value, 255L));
}

constexpr const char *RecentSection = "RecentFiles";
constexpr const char *recentKeys[RecentFileList::Capacity]
    = { "File1", "File2", "File3", "File4", "File5", "File6", "File7", "File8" };
// Room for the longest path the system allows.
constexpr int RecentPathLength = 4097;

} // namespace

void ReadSettings(AppContext &app)
{
    const QString file = app.platform.settingsFilePath();
    const QDateTime now = app.platform.now();
    // Read once: the same text is changed, written and then read from.
    ProfileReader settings(file);
    settings.write(file,
        { { "LastAccess", "Date", now.toString(QStringLiteral("MM-dd-yyyy")).toLatin1() },
            { "LastAccess", "Time", now.toString(QStringLiteral("HH:mm:ss")).toLatin1() } });
    for (const ColourKey &colour : colourKeys)
        app.state.*colour.field = readColour(settings, colour, app.state.*colour.field);
    QStringList recent;
    for (const char *key : recentKeys)
        recent << QFile::decodeName(
            settings.getString(RecentSection, key, QByteArray(), RecentPathLength));
    app.state.RecentFiles.assign(recent);
}

bool WriteRecentFiles(AppContext &app)
{
    const QStringList &paths = app.state.RecentFiles.paths();
    std::vector<ProfileEntry> entries;
    for (int i = 0; i < RecentFileList::Capacity; ++i) {
        QByteArray value;
        // A line end would end the value early; such a path is not kept.
        if (i < paths.size() && !paths[i].contains(QLatin1Char('\n'))
            && !paths[i].contains(QLatin1Char('\r')))
            // Quoted, so that blanks at either end of a name survive the read.
            value = '"' + QFile::encodeName(paths[i]) + '"';
        entries.push_back({ RecentSection, recentKeys[i], value });
    }
    return WriteProfileStrings(app.platform.settingsFilePath(), entries);
}

void WriteColourSettings(AppContext &app)
{
    std::vector<ProfileEntry> entries;
    for (const ColourKey &colour : colourKeys)
        entries.push_back(
            { colour.section, colour.key, QByteArray::number(app.state.*colour.field) });
    WriteProfileStrings(app.platform.settingsFilePath(), entries);
}
