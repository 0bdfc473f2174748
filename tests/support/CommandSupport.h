// SPDX-License-Identifier: GPL-3.0-or-later
// The real program run as a script runs it: from the build's bin folder,
// without a display and without any platform plugin.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct Finished {
    int status = -1; // -1 when it did not end normally within a minute
    QByteArray out;
    QByteArray err;
};

struct CommandPlace {
    QString folder; // the current folder it starts in; empty: the test's own
    // File permissions bind it as they bind a user, root too (root's
    // override of them is taken from the process before it starts).
    bool permissionsBind = false;
};

Finished kelvane(const QStringList &arguments, const CommandPlace &place = {});
