// SPDX-License-Identifier: GPL-3.0-or-later
// Save Equilibrium Scans: the last scan of each setting at equilibrium,
// within its column, named by cell, speed and wavelength.
#include "runs/EquilibriumSave.h"
#include "runs/RunReader.h"
#include "runwindows/RunWindow.h"
#include "runwindows/SaveSelectedDialog.h"
#include "support/CommandSupport.h"
#include "support/Harness.h"
#include "support/RunGenerator.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace
{

struct SaveRig : Harness {
    SaveRig()
        : Harness(NumLib::defaultCandidates(), QSize(1280, 1024))
    {
        RunPlan plan;
        plan.cells = { 1, 2 };
        // The slow speed settles, the fast one is still changing.
        plan.speeds = { { 16000, 10, 2.0 }, { 24000, 5, 200.0 } };
        plan.wavelengths = { 280, 230 };
        plan.realArtifacts = true;
        WriteRun(GenerateRun(plan), root);
        platform.runPathAnswers.push_back(QStringList { root });
        window->openRunAction()->trigger();
        w = window->runWindows().empty() ? nullptr : window->runWindows().back();
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();
    }
    // Save Equilibrium Scans... into `folder`, truncated, x as r.
    QString save(const QString &folder, QString *note = nullptr)
    {
        platform.modalActions.push_back([folder, note](QDialog &dialog) {
            auto &s = static_cast<SaveSelectedDialog &>(dialog);
            EXPECT_EQ(s.windowTitle(), QStringLiteral("Save Equilibrium Scans"));
            EXPECT_EQ(s.withinColumnBox(), nullptr) << "always within the column";
            if (note) {
                for (QLabel *label : s.findChildren<QLabel *>()) {
                    if (label->text().contains(QStringLiteral("at equilibrium")))
                        *note = label->text();
                }
            }
            s.folderField()->setText(folder);
            s.truncatedButton()->setChecked(true);
            s.radiusButton()->setChecked(true);
            s.accept();
        });
        w->saveEquilibriumAction()->trigger();
        return platform.messages.empty() ? QString() : platform.messages.back().text;
    }
    QString root = folder.path(QStringLiteral("run"));
    RunWindow *w = nullptr;
};

} // namespace

TEST(EquilibriumSave, TheLastScanOfEachSettledSettingWithinItsColumn)
{
    SaveRig h;
    ASSERT_NE(h.w, nullptr);
    const RunAnalysis &analysis = h.w->analysis();
    const EquilibriumScans expected = EquilibriumScansOf(h.w->run(), analysis);
    ASSERT_FALSE(expected.scans.empty());
    ASSERT_FALSE(expected.notReached.empty()) << "the fast speed is still changing";

    const QString out = h.folder.path(QStringLiteral("fit"));
    QString note;
    h.platform.messageAnswers.push_back(MsgAnswer::Yes); // make the folder
    const QString said = h.save(out, &note);
    EXPECT_TRUE(note.contains(
        QStringLiteral("%1 settings have not reached equilibrium").arg(expected.notReached.size())))
        << note.toStdString();
    EXPECT_EQ(said,
        QStringLiteral("%1 of %1 scans saved in\n%2")
            .arg(expected.scans.size())
            .arg(QDir::toNativeSeparators(out)));

    const ::Run saved = ReadRun({ out }, h.numlib);
    ASSERT_EQ(saved.scans.size(), expected.scans.size());
    QStringList names;
    for (const Scan &scan : saved.scans)
        names << scan.name.toLower(); // the extension as the scan's own file has it
    for (size_t k = 0; k < expected.scans.size(); ++k) {
        const ScanGroup &group = analysis.groups.groups[size_t(expected.groups[k])];
        ASSERT_TRUE(analysis.verdicts[size_t(expected.groups[k])].reached);
        EXPECT_EQ(group.speed, 16000);
        const Scan &last = h.w->run().scans[size_t(group.last())];
        const QString name = QStringLiteral("cell%1_16000rpm_%2nm.ra%1")
                                 .arg(group.cell)
                                 .arg(std::lround(last.header->wavelength));
        ASSERT_TRUE(names.contains(name))
            << name.toStdString() << " in " << names.join(QLatin1Char(' ')).toStdString();
        const Scan &file = saved.scans[size_t(names.indexOf(name))];
        const SolutionColumn &column = *analysis.columns[size_t(expected.groups[k])];
        EXPECT_GE(file.x(0), float(column.inner));
        EXPECT_LE(file.x(file.numPoints - 1), float(column.outer));
        EXPECT_EQ(file.description, last.description);
    }
    // The run is not touched by what was cut.
    for (const Scan &scan : h.w->run().scans)
        EXPECT_FALSE(scan.edited);

    // The command line writes the same files, byte for byte, and names each
    // setting it leaves out.
    const QString cli = h.folder.path(QStringLiteral("cli"));
    const Finished done
        = kelvane({ QStringLiteral("--export"), cli, QStringLiteral("--equilibrium"), h.root });
    EXPECT_EQ(done.status, 0) << done.err.constData();
    EXPECT_EQ(done.err.count("has not reached equilibrium; not written"),
        qsizetype(expected.notReached.size()))
        << done.err.constData();
    const QStringList files = QDir(out).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(QDir(cli).entryList(QDir::Files, QDir::Name), files);
    for (const QString &name : files) {
        QFile a(QDir(out).filePath(name)), b(QDir(cli).filePath(name));
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        EXPECT_EQ(a.readAll(), b.readAll()) << name.toStdString();
    }
    EXPECT_EQ(
        kelvane({ QStringLiteral("--report"), QStringLiteral("--equilibrium"), h.root }).status, 1);

    // Saved again, the files there are asked about; No leaves them.
    h.platform.messageAnswers.push_back(MsgAnswer::No);
    const QString again = h.save(out);
    EXPECT_TRUE(again.startsWith(QStringLiteral("0 of %1 scans saved").arg(expected.scans.size())))
        << again.toStdString();
    EXPECT_TRUE(again.contains(QStringLiteral("it exists already and was not replaced")));
}

TEST(EquilibriumSave, NamesOfTwoSettingsThatWouldMeetAreKeptApart)
{
    Scan scan;
    scan.name = QStringLiteral("00012.ip2");
    ScanHeader header;
    header.wavelength = 0.0;
    scan.header = header;
    ScanGroup group;
    group.cell = 2;
    group.column = 3;
    group.speed = 42000;
    EXPECT_EQ(EquilibriumName(scan, group), QStringLiteral("cell2-c3_42000rpm.ip2"));
    scan.header->wavelength = 279.6;
    group.column = 0;
    EXPECT_EQ(EquilibriumName(scan, group, 2), QStringLiteral("cell2_42000rpm_280nm_2.ip2"));
}
