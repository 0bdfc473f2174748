#include "shell/Settings.h"

#include "shell/AppContext.h"
#include "shell/Platform.h"
#include "shell/Profile.h"
#include "shell/ProgramState.h"

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

int16_t readColour(const QString &file, const ColourKey &colour, int16_t current)
{
    const QByteArray text = GetProfileString(file, colour.section, colour.key, QByteArray(), 256);
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

} // namespace

void ReadSettings(AppContext &app)
{
    const QString file = app.platform.settingsFilePath();
    const QDateTime now = app.platform.now();
    WriteProfileString(
        file, "LastAccess", "Date", now.toString(QStringLiteral("MM-dd-yyyy")).toLatin1());
    WriteProfileString(
        file, "LastAccess", "Time", now.toString(QStringLiteral("HH:mm:ss")).toLatin1());
    for (const ColourKey &colour : colourKeys)
        app.state.*colour.field = readColour(file, colour, app.state.*colour.field);
}

void WriteColourSettings(AppContext &app)
{
    const QString file = app.platform.settingsFilePath();
    for (const ColourKey &colour : colourKeys)
        WriteProfileString(
            file, colour.section, colour.key, QByteArray::number(app.state.*colour.field));
}
