// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/NumLib.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <stdexcept>

namespace
{

// A 2199-line data file of about 80 KB, in the layout Save writes.
QString writeFullDataFile(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("full.dat"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write benchmark file");
    file.write("Benchmark scan\r\nR 1 20.0 42000\r\n");
    for (int i = 0; i < 2197; ++i) {
        const double x = 5.9 + 0.0006 * i;
        const double c = 0.4 + 0.3 * std::sin(i * 0.01);
        file.write(QStringLiteral("   %1    %2    1.000E+02\r\n")
                       .arg(x, 0, 'f', 5)
                       .arg(c, 0, 'E', 5)
                       .toLatin1());
    }
    return path;
}

void BM_getdata_2199_lines(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeFullDataFile(dir);
    NumLib lib;
    PointArray pts;
    CommentBuffer comments;
    int32_t n = 0, ncomm = 0;
    for (auto _ : state) {
        lib.getdata(pts, n, path, ncomm, comments);
        benchmark::DoNotOptimize(n);
    }
    if (n != 2197)
        state.SkipWithError("unexpected point count");
}
BENCHMARK(BM_getdata_2199_lines)->Unit(benchmark::kMicrosecond);

void BM_tkrnd2(benchmark::State &state)
{
    NumLib lib;
    float start, end;
    int32_t count;
    float a = 5.9f;
    for (auto _ : state) {
        lib.tkrnd2(a, 7.2f, start, end, count);
        benchmark::DoNotOptimize(start);
        benchmark::DoNotOptimize(end);
    }
}
BENCHMARK(BM_tkrnd2);

} // namespace
