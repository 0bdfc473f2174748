// SPDX-License-Identifier: GPL-3.0-or-later
// Runs that hold more than one experiment, and verdicts that say why.
#include "core/NumLib.h"
#include "runs/RunAnalysis.h"
#include "runs/RunReader.h"
#include "runs/RunReport.h"
#include "runs/Verdict.h"
#include "support/RunGenerator.h"

#include <gtest/gtest.h>

namespace
{

Scan scanIn(const QString &path, int cell, int speed, int64_t time)
{
    Scan scan;
    scan.path = path;
    scan.header = ScanHeader { 'R', cell, 20.0, speed, time, 1.0, 280.0, 1 };
    return scan;
}

} // namespace

TEST(Experiments, EachFolderIsAnExperimentOfItsOwn)
{
    const std::vector<Scan> scans = {
        scanIn(QStringLiteral("runs/velocity/00001.RA1"), 1, 40000, 100), // 0
        scanIn(QStringLiteral("runs/equilibrium/00001.RA1"), 1, 16000, 100), // 1
        scanIn(QStringLiteral("runs/velocity/00002.RA1"), 1, 40000, 200), // 2
        scanIn(
            QStringLiteral("runs.tar.gz/copy/00001.RA1"), 1, 16000, 100), // 3: an archive's folder
        scanIn(QStringLiteral("runs/equilibrium/00002.RA1"), 1, 16000, 200), // 4
        scanIn(QStringLiteral("00003.RA1"), 1, 16000, 300), // 5: named alone, in the current folder
    };
    const RunGroups groups = GroupScans(scans);
    ASSERT_EQ(groups.experiments.size(), 4u);
    EXPECT_EQ(groups.experiments[0].folder, QStringLiteral("runs/velocity"));
    EXPECT_EQ(groups.experiments[0].name, QStringLiteral("velocity"));
    EXPECT_EQ(groups.experiments[2].name, QStringLiteral("copy"));
    EXPECT_EQ(groups.experiments[3].folder, QString());
    ASSERT_EQ(groups.groups.size(), 4u) << "cell 1 at 16000 rpm in three folders is three settings";
    const std::vector<std::vector<int>> members = { { 0, 2 }, { 1, 4 }, { 3 }, { 5 } };
    for (size_t g = 0; g < members.size(); ++g) {
        EXPECT_EQ(groups.groups[g].scans, members[g]) << g;
        EXPECT_EQ(groups.groups[g].experiment, int(g));
    }
}
