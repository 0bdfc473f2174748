// SPDX-License-Identifier: GPL-3.0-or-later
// The fit-file reader on arbitrary bytes: the list and every entry's range
// and left-out points must come back bounded, whatever the file holds.
#include "core/Profile.h"
#include "datafiles/FitFile.h"

#include <QByteArray>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ProfileReader fit = ProfileReader::fromBytes(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const FitList list = ReadFitList(fit, [](const QString &name) { return name.size() % 3 != 0; });
    if (list.names.size() != qsizetype(list.sections.size()))
        abort();
    for (const int section : list.sections) {
        if (section < 1 || section > list.listed)
            abort();
        const FitSelection selection = ReadFitSelection(fit, section);
        if (selection.leftOut.size() > size_t(MaxLeftOutPoints))
            abort();
    }
    LenientNumber(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(std::min<size_t>(size, 64))));
    return 0;
}
