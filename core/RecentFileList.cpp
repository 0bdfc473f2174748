// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RecentFileList.h"

#include <QDir>

namespace
{

// "/a/./b" and "/a/b" are one file.
QString normalised(const QString &path)
{
    return path.isEmpty() ? path : QDir::cleanPath(path);
}

} // namespace

void RecentFileList::push(const QString &path)
{
    const QString entry = normalised(path);
    if (entry.isEmpty())
        return;
    m_paths.removeAll(entry);
    m_paths.prepend(entry);
    while (m_paths.size() > Capacity)
        m_paths.removeLast();
}

bool RecentFileList::remove(const QString &path)
{
    return m_paths.removeAll(normalised(path)) > 0;
}

void RecentFileList::assign(const QStringList &paths)
{
    m_paths.clear();
    for (const QString &path : paths) {
        const QString entry = normalised(path);
        if (!entry.isEmpty() && !m_paths.contains(entry) && m_paths.size() < Capacity)
            m_paths << entry;
    }
}
