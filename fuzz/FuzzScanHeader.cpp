// SPDX-License-Identifier: GPL-3.0-or-later
// The leading lines and the header line of a scan on arbitrary bytes: they
// must return, and a header read must hold a known type and finite numbers.
#include "runs/ScanHeader.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const LeadingLines lines = ReadLeadingLines(bytes);
    if (lines.description.contains('\n') || lines.header.contains('\n'))
        abort();
    for (const QByteArrayView line : { QByteArrayView(lines.header), bytes }) {
        const std::optional<ScanHeader> header = ParseScanHeader(line);
        if (!header)
            continue;
        if (ScanTypeName(header->type)[0] == '\0')
            abort();
        if (!std::isfinite(header->temperature) || !std::isfinite(header->omega2t)
            || !std::isfinite(header->wavelength))
            abort();
    }
    return 0;
}
