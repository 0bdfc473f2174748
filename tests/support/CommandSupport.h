// SPDX-License-Identifier: GPL-3.0-or-later
// The real program run as a script runs it: from the build's bin folder,
// without a display.
#pragma once

#include <QByteArray>
#include <QStringList>

struct Finished {
    int status = -1; // -1 when it did not end normally within a minute
    QByteArray out;
    QByteArray err;
};

Finished kelvane(const QStringList &arguments);
