// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/RunArchive.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <stdexcept>

namespace
{

// A run as one .tar.gz: 630 scans (7 cells, 90 scans each) of 780 lines of
// radius, reading and deviation, about 25 KB each, with a little noise so
// that they compress like real scans.
QString writeRunArchive(const QTemporaryDir &dir)
{
    QDir(dir.path()).mkpath(QStringLiteral("run"));
    quint32 noise = 12345;
    for (int scan = 0; scan < 630; ++scan) {
        QFile file(dir.filePath(QStringLiteral("run/%1.RA%2")
                                    .arg(scan + 1, 5, 10, QLatin1Char('0'))
                                    .arg(scan % 7 + 1)));
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write benchmark scan");
        QByteArray text = "Benchmark cell\r\nR 1 10.0 16000 0028764 8.0640E10 281 20\r\n";
        for (int i = 0; i < 780; ++i) {
            noise = noise * 1664525u + 1013904223u;
            const double x = 5.9 + 0.0016 * i;
            const double c = 0.4 + 0.3 * std::exp(0.5 * (x - 7.1)) + (noise >> 16) * 1e-7;
            text += QByteArray::number(x, 'f', 4) + ' ' + QByteArray::number(c, 'E', 5) + ' '
                + QByteArray::number(0.005 + (noise & 0xff) * 1e-5, 'E', 5) + "\r\n";
        }
        file.write(text);
    }
    QProcess tar;
    tar.setWorkingDirectory(dir.path());
    tar.start(QStringLiteral("tar"),
        { QStringLiteral("-czf"), QStringLiteral("run.tar.gz"), QStringLiteral("run") });
    if (!tar.waitForFinished(60000) || tar.exitCode() != 0)
        throw std::runtime_error("tar failed");
    return dir.filePath(QStringLiteral("run.tar.gz"));
}

void BM_ReadArchive_630_scans_tar_gz(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeRunArchive(dir);
    qint64 bytes = 0;
    for (auto _ : state) {
        int members = 0;
        bytes = 0;
        const QString failure = ReadArchive(path, {}, {},
            [&](ArchiveMember &&member) {
                bytes += member.bytes.size();
                ++members;
            },
            {});
        if (!failure.isEmpty() || members != 630) {
            state.SkipWithError("the run was not read whole");
            break;
        }
    }
    state.counters["MB"] = double(bytes) / (1 << 20);
}
BENCHMARK(BM_ReadArchive_630_scans_tar_gz)->Unit(benchmark::kMillisecond);

} // namespace
