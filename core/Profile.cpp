// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Profile.h"

#include "core/FileReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// Profile files are bytes: no character conversion.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <algorithm>
#include <climits>
#include <string>

// Multi-key so that the first of repeated keys is the one read, as the
// desktop's profile reader does.
struct ProfileReader::Ini {
    CSimpleIniA ini { false, true, false };
};

namespace
{

bool loadFile(const QString &file, CSimpleIniA &ini)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    return ini.LoadData(bytes.constData(), size_t(bytes.size())) >= 0;
}

} // namespace

ProfileReader::ProfileReader()
    : m_ini(std::make_unique<Ini>())
{
}

ProfileReader::ProfileReader(const QString &file)
    : ProfileReader()
{
    if (!loadFile(file, m_ini->ini)) {
        m_ini->ini.Reset();
        m_unreadable = QFileInfo::exists(file);
    }
}

ProfileReader ProfileReader::fromBytes(const QByteArray &bytes)
{
    ProfileReader reader;
    if (reader.m_ini->ini.LoadData(bytes.constData(), size_t(bytes.size())) < 0)
        reader.m_ini->ini.Reset();
    return reader;
}

ProfileReader::~ProfileReader() = default;
ProfileReader::ProfileReader(ProfileReader &&) noexcept = default;

namespace
{

bool quoted(const QByteArray &text)
{
    return text.size() >= 2 && (text.front() == '"' || text.front() == '\'')
        && text.back() == text.front();
}

} // namespace

QByteArray ProfileReader::getString(
    const char *section, const char *key, const QByteArray &fallback, int bufferSize) const
{
    const char *value = m_ini->ini.GetValue(section, key, nullptr);
    QByteArray text = fallback;
    if (value != nullptr) {
        text = QByteArray(value).trimmed();
        if (quoted(text))
            text = text.mid(1, text.size() - 2);
    }
    return text.left(std::max(0, bufferSize - 1));
}

bool ProfileReader::isQuoted(const char *section, const char *key) const
{
    const char *value = m_ini->ini.GetValue(section, key, nullptr);
    return value != nullptr && quoted(QByteArray(value).trimmed());
}

int ProfileReader::getInt(const char *section, const char *key, int fallback) const
{
    if (m_ini->ini.GetValue(section, key, nullptr) == nullptr)
        return fallback;
    const QByteArray value = getString(section, key, QByteArray(), INT_MAX);
    const char *p = value.constData();
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
    return int(std::clamp<long long>(number, INT_MIN, INT_MAX));
}

QStringList ProfileReader::sections() const
{
    CSimpleIniA::TNamesDepend names;
    m_ini->ini.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList result;
    for (const auto &name : names)
        result << QString::fromLatin1(name.pItem);
    return result;
}

bool ProfileReader::write(const QString &file, const std::vector<ProfileEntry> &entries)
{
    if (m_unreadable)
        return false;
    CSimpleIniA &ini = m_ini->ini;
    ini.SetSpaces(false);
    for (const ProfileEntry &entry : entries) {
        if (ini.SetValue(entry.section, entry.key, entry.value.constData(), nullptr, true) < 0)
            return false;
    }
    std::string text;
    if (ini.Save(text) < 0)
        return false;
    QDir().mkpath(QFileInfo(file).absolutePath());
    return ReplaceFileContents(file, QByteArray(text.data(), qsizetype(text.size()))).isEmpty();
}

bool WriteProfileStrings(const QString &file, const std::vector<ProfileEntry> &entries)
{
    return ProfileReader(file).write(file, entries);
}

bool WriteProfileString(
    const QString &file, const char *section, const char *key, const QByteArray &value)
{
    return WriteProfileStrings(file, { { section, key, value } });
}
