// SPDX-License-Identifier: GPL-3.0-or-later
// getdata on arbitrary file bytes: it must return, stay inside its buffers
// and never store a non-finite value.
#include "numlib/kelvane.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const int fd = memfd_create("fuzz-data", 0);
    if (fd < 0)
        return 0;
    if (size > 0 && write(fd, data, size) != ssize_t(size)) {
        close(fd);
        return 0;
    }
    std::string name = "/proc/self/fd/" + std::to_string(fd);
    name.resize(160, ' ');

    static float pts[3 * 2200];
    static char comments[4800];
    int32_t n = -1, ncomm = -1;
    getdata(pts, &n, name.data(), int32_t(name.size()), &ncomm, comments, 4800);
    close(fd);

    if (n < 0 || n > 2199 || ncomm < 0 || ncomm > 50)
        abort();
    for (int i = 0; i < 3 * n; ++i) {
        if (!std::isfinite(pts[i]))
            abort();
    }
    for (int i = 0; i < n; ++i) {
        if (pts[3 * i + 2] == 0.0f)
            abort();
    }
    return 0;
}
