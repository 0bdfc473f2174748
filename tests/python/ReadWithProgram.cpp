// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a data file the way the program does (its own loader, which finds
// libkelvane.so beside this executable first) and prints what it got, so
// that the Python module's reading can be compared with it exactly:
//   points N, then N lines "x conc flag" (%.9g: every float exactly),
//   comments M, then M lines of slot text, trailing blanks removed.
#include "core/NumLib.h"
#include "core/ProgramState.h"

#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DATAFILE\n", argv[0]);
        return 2;
    }
    try {
        NumLib library;
        PointArray pts;
        CommentBuffer comments;
        int32_t n = 0;
        int32_t ncomm = 0;
        library.getdata(pts, n, QFile::decodeName(argv[1]), ncomm, comments);
        std::printf("library %s\n", library.loadedFrom().c_str());
        std::printf("points %d\n", int(n));
        for (int i = 1; i <= n; ++i)
            std::printf(
                "%.9g %.9g %.9g\n", double(pts.x(i)), double(pts.conc(i)), double(pts.flag(i)));
        std::printf("comments %d\n", int(ncomm));
        for (int k = 1; k <= ncomm; ++k) {
            QByteArray line = comments.slot(k);
            while (line.endsWith(' '))
                line.chop(1);
            std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
            std::fputc('\n', stdout);
        }
    } catch (const NumLibError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
