// SPDX-License-Identifier: GPL-3.0-or-later
// A file that lives only in memory, with a path that any reader by name can
// open: scans taken from an archive are read by the library's getdata this
// way, never unpacked to disk.
#pragma once

#include <QByteArray>
#include <QString>

class MemoryFile
{
public:
    // Holds `bytes`; isOpen() tells whether the system gave a memory file.
    explicit MemoryFile(const QByteArray &bytes);
    ~MemoryFile();
    MemoryFile(const MemoryFile &) = delete;
    MemoryFile &operator=(const MemoryFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // "/proc/self/fd/N": valid in this process while the object lives.
    QString path() const;
    // Why the memory file could not be made, when it could not.
    const QString &error() const { return m_error; }

private:
    int m_fd = -1;
    QString m_error;
};
