// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestFiles.h"

#include "core/Profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <linux/capability.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{

bool capabilities(bool set, unsigned effective[2])
{
    __user_cap_header_struct header { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct data[2] {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    if (!set) {
        for (int k = 0; k < 2; ++k)
            effective[k] = data[k].effective;
        return true;
    }
    for (int k = 0; k < 2; ++k)
        data[k].effective = effective[k];
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

PermissionsBind::PermissionsBind()
{
    if (geteuid() != 0) {
        m_active = true;
        return;
    }
    unsigned effective[2] = {};
    if (!capabilities(false, m_effective) || !capabilities(false, effective))
        return;
    // Both live in the first word of the sets.
    effective[0] &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    m_dropped = m_active = capabilities(true, effective);
}

PermissionsBind::~PermissionsBind()
{
    if (m_dropped)
        capabilities(true, m_effective);
}

QString LockedFolderWith(const TestFolder &folder, const QString &name, const QByteArray &bytes)
{
    QDir(folder.root()).mkdir(QStringLiteral("locked"));
    const QString file = folder.write(QStringLiteral("locked/") + name, bytes);
    QFile::setPermissions(QFileInfo(file).absolutePath(),
        QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
            | QFileDevice::ExeOther);
    return file;
}

void Unlock(const QString &lockedFile)
{
    QFile::setPermissions(QFileInfo(lockedFile).absolutePath(),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TestFolder::TestFolder()
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
}

QString TestFolder::path(const QString &name) const
{
    return m_dir.filePath(name);
}

QString TestFolder::write(const QString &name, const QByteArray &bytes) const
{
    const QString full = path(name);
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
    return full;
}

QByteArray readFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString examplePath(const QString &name)
{
    return QDir(QStringLiteral(KELVANE_EXAMPLES_DIR)).filePath(name);
}

int GetProfileInt(const QString &file, const char *section, const char *key, int fallback)
{
    return ProfileReader(file).getInt(section, key, fallback);
}

QByteArray GetProfileString(const QString &file, const char *section, const char *key,
    const QByteArray &fallback, int bufferSize)
{
    return ProfileReader(file).getString(section, key, fallback, bufferSize);
}
