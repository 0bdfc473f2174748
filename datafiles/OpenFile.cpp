// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/OpenFile.h"

#include "datafiles/FitFile.h"
#include "datafiles/GetData.h"

bool OpenNamedFile(AppContext &app, MainView &view, const QString &path)
{
    if (IsFitFile(path))
        return UseNamedFitFile(app, view, path);
    return GetNamedData(app, view, path);
}
