#include "shell/Profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

// Profile files are bytes: no character conversion.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <optional>
#include <string>

namespace {

// Multi-key so that the first of duplicated keys is the one read, as the
// desktop's profile reader does.
struct IniFile {
    CSimpleIniA ini{false, true, false};
};

bool load(const QString &file, IniFile &ini)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    return ini.ini.LoadData(bytes.constData(), size_t(bytes.size())) >= 0;
}

std::optional<QByteArray> lookUp(const QString &file, const char *section, const char *key)
{
    IniFile ini;
    if (!load(file, ini))
        return std::nullopt;
    const char *value = ini.ini.GetValue(section, key, nullptr);
    if (value == nullptr)
        return std::nullopt;
    QByteArray text(value);
    text = text.trimmed();
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'')
        && text.back() == text.front())
        text = text.mid(1, text.size() - 2);
    return text;
}

} // namespace

int GetProfileInt(const QString &file, const char *section, const char *key, int fallback)
{
    const std::optional<QByteArray> value = lookUp(file, section, key);
    if (!value)
        return fallback;
    const char *p = value->constData();
    bool negative = false;
    if (*p == '-' || *p == '+')
        negative = *p++ == '-';
    long long number = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (number < (1LL << 40))
            number = number * 10 + (*p - '0');
    }
    if (negative)
        number = -number;
    return int(std::clamp<long long>(number, INT32_MIN, INT32_MAX));
}

QByteArray GetProfileString(const QString &file, const char *section, const char *key,
                            const QByteArray &fallback, int bufferSize)
{
    const QByteArray value = lookUp(file, section, key).value_or(fallback);
    return value.left(std::max(0, bufferSize - 1));
}

bool WriteProfileString(const QString &file, const char *section, const char *key,
                        const QByteArray &value)
{
    IniFile ini;
    if (QFileInfo::exists(file) && !load(file, ini))
        return false;
    ini.ini.SetSpaces(false);
    if (ini.ini.SetValue(section, key, value.constData(), nullptr, true) < 0)
        return false;
    std::string text;
    if (ini.ini.Save(text) < 0)
        return false;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    // flush() first: commit() alone lets a short write pass as success.
    return out.write(text.data(), qint64(text.size())) == qint64(text.size()) && out.flush()
        && out.commit();
}
