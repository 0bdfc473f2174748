// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/MemoryFile.h"

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

MemoryFile::MemoryFile(const QByteArray &bytes)
{
    m_fd = memfd_create("kelvane-scan", MFD_CLOEXEC);
    if (m_fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        data += written;
        left -= written;
    }
}

MemoryFile::~MemoryFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString MemoryFile::path() const
{
    return m_fd < 0 ? QString() : QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}
