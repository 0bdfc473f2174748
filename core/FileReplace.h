// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing a user's file: the new bytes go to a temporary file beside it,
// which takes the file's place only once it is completely written, so a
// failure leaves the old file as it was and nothing partial behind.
#pragma once

#include <QByteArray>
#include <QString>

// Writes `bytes` to `path`. In a folder that refuses new files but holds a
// file of that name the user may write, the file is written in place
// instead (a failure then can leave it partly written). Returns the reason
// of a failure as the system gives it ("No space left on device"), or an
// empty text.
QString ReplaceFileContents(const QString &path, const QByteArray &bytes);
