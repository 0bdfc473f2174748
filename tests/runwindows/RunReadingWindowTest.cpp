// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/NumLib.h"
#include "runs/RunAnalysis.h"
#include "runs/RunGroups.h"
#include "runs/RunReader.h"
#include "runwindows/Overlay.h"
#include "runwindows/RunWindow.h"
#include "support/CommandSupport.h"
#include "support/Harness.h"
#include "support/RunGenerator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>

#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

Scan scanWith(char type, int cell, int speed, double wavelength, int64_t time)
{
    Scan scan;
    scan.header = ScanHeader { type, cell, 20.0, speed, time, 1.0, wavelength, 1 };
    return scan;
}

} // namespace

TEST(RunReader, FolderEntriesThatCannotBeLookedAtAreNamedWithTheSystemsReason)
{
    Harness h;
    const PermissionsBind binding;
    if (!binding.active())
        GTEST_SKIP() << "permissions cannot be made to bind here";
    const QString root = h.folder.path(QStringLiteral("run"));
    QDir().mkpath(root + QStringLiteral("/shut"));
    QDir().mkpath(root + QStringLiteral("/closed"));
    const QByteArray good = "s\nR 1 20.0 9000 0000060 1E5 280 1\n6.0 0.1 0.01\n6.1 0.2 0.01\n";
    h.folder.write(QStringLiteral("run/00001.RA1"), good);
    h.folder.write(QStringLiteral("run/shut/00002.RA1"), good);
    h.folder.write(QStringLiteral("run/shut/00003.RA1"), good);
    h.folder.write(QStringLiteral("run/closed/00004.RA1"), good);
    const QString gone = root + QStringLiteral("/gone.RA1");
    ASSERT_TRUE(QFile::link(gone, root + QStringLiteral("/00005.RA1")));
    // Hidden entries stay out without a word, dangling or not.
    ASSERT_TRUE(QFile::link(gone, root + QStringLiteral("/.00006.RA1")));
    // "shut" may be listed but not searched; "closed" not even listed.
    ASSERT_TRUE(QFile::setPermissions(
        root + QStringLiteral("/shut"), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(root + QStringLiteral("/closed"), QFileDevice::WriteOwner));
    const QStringList expected = {
        root
            + QStringLiteral("/00005.RA1: is a link to %1, which cannot be looked at: "
                             "No such file or directory")
                  .arg(gone),
        root + QStringLiteral("/closed: cannot be searched: Permission denied"),
        root + QStringLiteral("/shut/00002.RA1: cannot be looked at: Permission denied"),
        root + QStringLiteral("/shut/00003.RA1: cannot be looked at: Permission denied"),
    };
    const auto sorted = [](QStringList lines) {
        lines.sort();
        return lines;
    };

    const Finished report
        = kelvane({ QStringLiteral("--report"), root }, CommandPlace { {}, true });
    EXPECT_EQ(report.status, 2);
    QStringList said
        = QString::fromLocal8Bit(report.err).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString &line : said)
        line.remove(0, int(qstrlen("kelvane: ")));
    EXPECT_EQ(sorted(said), expected);
    EXPECT_EQ(report.out.count('\n'), 2) << "the header and the one scan";

    h.platform.runPathAnswers.push_back(QStringList { root });
    h.window->openRunAction()->trigger();
    ASSERT_EQ(h.window->runWindows().size(), 1u);
    RunWindow *w = h.window->runWindows().back();
    EXPECT_EQ(w->run().scans.size(), 1u);
    EXPECT_EQ(sorted(w->failuresView()->toPlainText().split(QLatin1Char('\n'))), expected);
    for (const char *folder : { "/shut", "/closed" })
        QFile::setPermissions(root + QLatin1String(folder),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(Overlay, ThousandsOfScansArePlottedAsAFewSpreadOverTheirTimes)
{
    ::Run run;
    std::vector<int> chosen;
    for (int i = 0; i < 1000; ++i) {
        // Times out of order, so that the spread is by time, not by index.
        Scan scan = scanWith('R', 1, 16000, 280, int64_t((i * 7919) % 1000) * 60);
        scan.points = { 6.0f, 0.1f, 100.0f, 6.1f, 0.2f, 100.0f };
        scan.numPoints = 2;
        run.scans.push_back(scan);
        chosen.push_back(i);
    }
    const RunAnalysis analysis = AnalyseRun(run);
    const Overlay overlay = BuildOverlay(run, analysis, chosen);
    EXPECT_EQ(overlay.chosen, 1000);
    ASSERT_EQ(overlay.scans.size(), size_t(MaxOverlayCurves));
    EXPECT_EQ(*overlay.scans.front().hours, 0.0) << "the first in time";
    EXPECT_EQ(*overlay.scans.back().hours, 999.0 / 60.0) << "and the last";
    std::set<int> distinct;
    for (const OverlayCurve &curve : overlay.scans)
        distinct.insert(curve.scan);
    EXPECT_EQ(distinct.size(), size_t(MaxOverlayCurves));
    EXPECT_EQ(overlay.differences.size(), size_t(MaxOverlayCurves) - 1) << "all but the last";

    const Overlay few = BuildOverlay(run, analysis, { 3, 1, 2 });
    EXPECT_EQ(few.scans.size(), 3u);
    EXPECT_EQ(few.scans[0].scan, 3) << "in the order chosen";
}

TEST(Overlay, LongCurvesAreThinnedKeepingTheirSpikes)
{
    std::vector<QPointF> points;
    for (int i = 0; i < 2199; ++i)
        points.emplace_back(6.0 + i * 0.0005, i == 1234 ? 4.0 : (i == 777 ? -1.0 : 0.5));
    const std::vector<QPointF> thin = Thinned(points);
    EXPECT_LE(thin.size(), size_t(MaxCurvePoints));
    EXPECT_GE(thin.size(), size_t(MaxCurvePoints) / 2);
    const auto has = [&thin](double y) {
        return std::any_of(thin.begin(), thin.end(), [y](const QPointF &p) { return p.y() == y; });
    };
    EXPECT_TRUE(has(4.0)) << "the spike stays";
    EXPECT_TRUE(has(-1.0));
    EXPECT_TRUE(std::is_sorted(thin.begin(), thin.end(),
        [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); }));
    EXPECT_EQ(thin.front().x(), points.front().x());
    const std::vector<QPointF> few(points.begin(), points.begin() + 300);
    EXPECT_EQ(Thinned(few), few) << "a short curve as it is";
}
