// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Harness.h"

#include "shell/StartUp.h"

#include <QAction>
#include <QFile>

Harness::Harness(std::vector<std::string> libraryCandidates, QSize screen)
    : numlib(std::move(libraryCandidates))
    , m_previousDir(QDir::currentPath())
{
    QDir::setCurrent(folder.root());
    platform.settingsFile = folder.path(QStringLiteral("config/Kelvane.ini"));
    platform.cacheFolder = folder.path(QStringLiteral("cache/kelvane"));
    platform.screen = screen;
    window = StartUp(app);
}

Harness::~Harness()
{
    window.reset();
    QDir::setCurrent(m_previousDir);
}

QString Harness::example(const QString &name)
{
    const QString target = folder.path(name);
    QFile::remove(target);
    QFile::copy(examplePath(name), target);
    return target;
}

void Harness::choose(const QString &path, MenuEntry entry)
{
    platform.fileAnswers.push_back(path);
    trigger(entry);
}

void Harness::trigger(MenuEntry entry)
{
    window->action(entry)->trigger();
}

QByteArray Harness::workFile() const
{
    return readFileBytes(state->TmpPath);
}
