// SPDX-License-Identifier: GPL-3.0-or-later
// The user guide's examples, run as the guide tells them: each shipped
// example file it names is loaded through the real menus, and what the guide
// (or the file's own comment lines) says of it is checked.
#include "datafiles/TextFiles.h"
#include "support/EditorSupport.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

#include <cmath>
#include <memory>
#include <set>
#include <vector>

namespace
{

QByteArray guide()
{
    return readFileBytes(
        QDir(QStringLiteral(KELVANE_EXAMPLES_DIR)).filePath(QStringLiteral("../docs/guide.md")));
}

// The lines of the first fenced block of the guide after `marker`.
QList<QByteArray> blockAfter(const QByteArray &marker)
{
    const QByteArray text = guide();
    const qsizetype at = text.indexOf(marker);
    if (at < 0)
        return {};
    const qsizetype open = text.indexOf("```\n", at);
    const qsizetype close = text.indexOf("\n```", open + 4);
    return text.mid(open + 4, close - open - 4).split('\n');
}

QList<QByteArray> fileLines(const QString &name)
{
    return readFileBytes(examplePath(name)).replace("\r\n", "\n").split('\n');
}

std::set<int> removedPoints(const ProgramState &s)
{
    std::set<int> removed;
    for (int i = 1; i <= s.NumPts; ++i) {
        if (s.DataPts.flag(i) < 0.0f)
            removed.insert(i);
    }
    return removed;
}

std::set<int> range(int from, int to)
{
    std::set<int> points;
    for (int i = from; i <= to; ++i)
        points.insert(i);
    return points;
}

} // namespace

TEST(GuideExamples, TheRadiusScanBeginsAsShownAndItsXiTwinHoldsTheSamePoints)
{
    const QList<QByteArray> shown = blockAfter("An example, `examples/radius-scan.dat`:");
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(fileLines(QStringLiteral("radius-scan.dat")).mid(0, 4), shown);

    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    EXPECT_EQ(h.state->NumPts, 434);
    EXPECT_EQ(h.state->NumComments, 2);
    EXPECT_TRUE(h.state->IsRadius);
    EXPECT_FLOAT_EQ(h.state->DataPts.conc(1), 6.78136e-3f);
    const auto radius = std::make_unique<PointArray>(h.state->DataPts);

    h.choose(h.example(QStringLiteral("xi-scan.dat")), MenuEntry::GetNewData);
    ASSERT_EQ(h.state->NumPts, 434);
    for (int i = 1; i <= 434; ++i) {
        ASSERT_NEAR(h.state->DataPts.x(i), radius->x(i), 1e-5) << i;
        ASSERT_EQ(h.state->DataPts.conc(i), radius->conc(i)) << i;
    }

    // The blank is subtracted from the scan loaded after it, too.
    const QString blank = h.example(QStringLiteral("blank.dat"));
    h.choose(blank, MenuEntry::GetBlankData);
    EXPECT_TRUE(h.state->BlankLoaded);
    EXPECT_EQ(h.window->tabs()->tabText(1), TabCaptionFor(blank));
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    EXPECT_NE(h.state->DataPts.conc(100), radius->conc(100));
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(GuideExamples, TheEditedScanIsAsItsCommentLinesSay)
{
    const QList<QByteArray> lines = fileLines(QStringLiteral("edited-scan.dat"));
    ASSERT_TRUE(lines[1].startsWith("Points 1-6 and 427-434 lie outside the fit range; 121, 122 "
                                    "and 301 are glitches."));
    ASSERT_TRUE(lines[2].startsWith("Points 201-210 carry a weight of 2.5."));

    Harness h;
    h.choose(h.example(QStringLiteral("edited-scan.dat")), MenuEntry::GetNewData);
    const ProgramState &s = *h.state;
    ASSERT_EQ(s.NumPts, 434);
    std::set<int> removed = range(1, 6);
    removed.merge(range(427, 434));
    removed.insert({ 121, 122, 301 });
    EXPECT_EQ(removedPoints(s), removed);
    for (int i = 1; i <= s.NumPts; ++i) {
        const float weight = i >= 201 && i <= 210 ? 2.5f : 100.0f;
        EXPECT_EQ(std::fabs(s.DataPts.flag(i)), weight) << "point " << i;
    }
}

TEST(GuideExamples, SuggestFindsTheFourSpikesOfTheSpikedScan)
{
    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    const auto radius = std::make_unique<PointArray>(h.state->DataPts);
    const int count = h.state->NumPts;
    h.choose(h.example(QStringLiteral("spiked-scan.dat")), MenuEntry::GetNewData);
    ASSERT_EQ(h.state->NumPts, count);
    std::vector<int> spikes;
    for (int i = 1; i <= count; ++i) {
        if (h.state->DataPts.conc(i) != radius->conc(i))
            spikes.push_back(i);
    }
    EXPECT_EQ(spikes.size(), 4u);
    // The guide's example of the strip.
    ASSERT_TRUE(guide().contains("\"Suggested: 4 (spikes 4)\""));
    runEditor(h, [&](PlotWindow &w) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_G, Qt::ControlModifier);
        EXPECT_EQ(w.suggestLabel()->text(), QStringLiteral("Suggested: 4 (spikes 4)"));
        EXPECT_EQ(w.ringedPoints(), spikes);
    });
}

TEST(GuideExamples, TheFitFileListsBothScansWithTheFitsChoiceOfPoints)
{
    const QList<QByteArray> shown = blockAfter("## Fit-file lists");
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(fileLines(QStringLiteral("fit-list.ini")), shown + QList<QByteArray> { "" });

    Harness h;
    h.example(QStringLiteral("radius-scan.dat"));
    h.example(QStringLiteral("spiked-scan.dat"));
    h.choose(h.example(QStringLiteral("fit-list.ini")), MenuEntry::UseFitFile);
    EXPECT_TRUE(h.platform.messages.empty());
    EXPECT_EQ(h.window->dataSetAction(0)->text(), QStringLiteral("radius-scan.dat"));
    EXPECT_EQ(h.window->dataSetAction(1)->text(), QStringLiteral("spiked-scan.dat"));
    EXPECT_TRUE(h.window->dataSetAction(0)->isChecked());

    // XI from 17.8 to 25.5 cm^2, radii from sqrt(35.6) to sqrt(51) cm, and
    // the points the fit left out: 40, 41 and 200.
    const ProgramState &s = *h.state;
    std::set<int> removed { 40, 41, 200 };
    for (int i = 1; i <= s.NumPts; ++i) {
        const float x = s.RawPts.x(i);
        if (x < float(std::sqrt(35.6)) || x > float(std::sqrt(51.0)))
            removed.insert(i);
    }
    EXPECT_EQ(removedPoints(s), removed);
    EXPECT_GT(removed.size(), 3u);

    h.window->dataSetAction(1)->trigger();
    EXPECT_EQ(h.state->ReadPath, QStringLiteral("spiked-scan.dat"));
    EXPECT_TRUE(removedPoints(*h.state).empty());
}

TEST(GuideExamples, TheCommentScratchFileStaysWhenTheEditorCloses)
{
    ASSERT_TRUE(guide().contains("left there when the editor closes"));
    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    h.platform.modalActions.push_back([](QDialog &dialog) { dialog.accept(); });
    h.trigger(MenuEntry::EditComment1);
    EXPECT_TRUE(QFileInfo::exists(QDir(h.state->WorkDir).filePath(QStringLiteral("~comment.tmp"))));
}
