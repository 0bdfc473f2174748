// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CommandSupport.h"

#include <QCoreApplication>
#include <QProcess>

#include <linux/capability.h>
#include <sys/prctl.h>

Finished kelvane(const QStringList &arguments, const CommandPlace &place)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" })
        env.remove(QLatin1String(name));
    // No platform plugin to be had either: a program that made a GUI
    // application here would end at once.
    env.insert(QStringLiteral("QT_QPA_PLATFORM_PLUGIN_PATH"), QStringLiteral("/nonexistent"));
    env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral("/nonexistent"));
    QProcess process;
    process.setProcessEnvironment(env);
    if (!place.folder.isEmpty())
        process.setWorkingDirectory(place.folder);
    if (place.permissionsBind) {
        // Out of the bounding set, root's override is not given back by exec.
        process.setChildProcessModifier([] {
            ::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
            ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
        });
    }
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kelvane"), arguments);
    Finished result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.status = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
