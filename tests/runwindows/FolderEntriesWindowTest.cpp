// SPDX-License-Identifier: GPL-3.0-or-later
// Folder entries that cannot be looked at, as the command line and the run
// window name them.
#include "runwindows/RunWindow.h"
#include "support/CommandSupport.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>

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
