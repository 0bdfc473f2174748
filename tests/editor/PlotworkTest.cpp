// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EditorSupport.h"

#include "core/DataFileText.h"
#include "core/NumberFormat.h"
#include "datafiles/SaveEditedFile.h"
#include "datafiles/WorkFile.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFrame>
#include <QPlainTextEdit>

#include <vector>

namespace
{

std::vector<float> dataFlags(const ProgramState &s)
{
    std::vector<float> out;
    for (int i = 1; i <= s.NumPts; ++i)
        out.push_back(s.DataPts.flag(i));
    return out;
}

// Removes points `indexes` with clicks on their own positions.
void removePoints(PlotWindow &w, const ProgramState &s, std::initializer_list<int> indexes)
{
    w.button(2)->trigger();
    for (int i : indexes)
        clickAt(w, plotPositionOf(w, s, i));
}

class Plotwork : public testing::Test
{
protected:
    void SetUp() override
    {
        h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
        ASSERT_GT(h.state->NumPts, 100);
        flagsBefore = dataFlags(*h.state);
        workBefore = h.workFile();
        ASSERT_FALSE(workBefore.isEmpty());
    }

    Harness h;
    std::vector<float> flagsBefore;
    QByteArray workBefore;
};

} // namespace

TEST_F(Plotwork, OpensFromTheEditMenuOnACopyOfTheDataSet)
{
    h.platform.modalActions.push_back([&](QDialog &dialog) {
        auto &w = static_cast<PlotWindow &>(dialog);
        const ProgramState &s = *h.state;
        EXPECT_EQ(s.PlotCount, s.NumPts);
        EXPECT_EQ(s.PlotX(7), s.DataPts.x(7));
        EXPECT_EQ(s.PlotY(7), s.DataPts.conc(7));
        EXPECT_EQ(s.PlotFlag(7), s.DataPts.flag(7));
        EXPECT_EQ(s.PlotXMin, s.DataPts.x(1));
        EXPECT_EQ(s.PlotXMax, s.DataPts.x(s.NumPts));
        EXPECT_EQ(s.XAxisLabel, QStringLiteral("Radius (cm)"));
        EXPECT_EQ(s.YAxisLabel, QStringLiteral("Concentration"));
        EXPECT_EQ(s.PlotSubtitle, QStringLiteral(" "));
        // The window works on a copy of the same.
        EXPECT_EQ(w.session().PlotCount, s.NumPts);
        EXPECT_EQ(w.session().PlotFlag(7), s.DataPts.flag(7));
        EXPECT_EQ(w.session().PlotXMax, s.DataPts.x(s.NumPts));
        EXPECT_EQ(w.session().XAxisLabel, QStringLiteral("Radius (cm)"));
        EXPECT_TRUE(w.isModal());
        EXPECT_EQ(w.interaction().mode(), EditMode::Zoom);
    });
    h.trigger(MenuEntry::DoPlotwork);
    EXPECT_TRUE(h.platform.log.contains(QStringLiteral("modal Plotwork")));
    EXPECT_TRUE(h.platform.modalActions.empty());
}

TEST_F(Plotwork, XiDataGetTheXiLabel)
{
    setDataSet(*h.state, { { 17.4f, 0.1f }, { 18.0f, 0.2f }, { 19.0f, 0.3f } });
    ASSERT_FALSE(h.state->IsRadius);
    runEditor(h, [](PlotWindow &) {});
    EXPECT_EQ(h.state->XAxisLabel, QStringLiteral("XI = R^2/2 (cm^2)"));
}

TEST_F(Plotwork, DiscardAndTheCloseBoxLeaveTheDataSetAlone)
{
    const struct {
        const char *name;
        int button; // 0: the close box
    } rows[] = { { "discard button", 8 }, { "close box", 0 } };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const int firstBefore = h.state->FirstIdx;
        const int lastBefore = h.state->LastIdx;
        runEditor(h, [&](PlotWindow &w) {
            removePoints(w, *h.state, { 1, 2, 3, h.state->NumPts });
            ASSERT_LT(w.session().PlotFlag(2), 0.0f);
            if (row.button)
                w.button(row.button)->trigger();
            else
                w.close();
            EXPECT_FALSE(w.isVisible());
        });
        EXPECT_FALSE(h.state->CommitEdits);
        EXPECT_EQ(dataFlags(*h.state), flagsBefore);
        EXPECT_EQ(h.state->FirstIdx, firstBefore);
        EXPECT_EQ(h.state->LastIdx, lastBefore);
        EXPECT_EQ(h.workFile(), workBefore);
        // Reopening shows the points as they were.
        runEditor(h, [&](PlotWindow &w) {
            EXPECT_EQ(w.session().PlotFlag(2), flagsBefore[1]);
            EXPECT_FALSE(w.zoomOutEntry()->isEnabled());
        });
    }
}

TEST_F(Plotwork, CommitRemovingTheFirstThreeMovesTheFirstGoodPoint)
{
    runEditor(h, [&](PlotWindow &w) {
        removePoints(w, *h.state, { 1, 2, 3 });
        w.button(7)->trigger();
    });
    const ProgramState &s = *h.state;
    EXPECT_TRUE(s.CommitEdits);
    EXPECT_EQ(s.FirstIdx, 4);
    EXPECT_EQ(s.FirstX, s.DataPts.x(4));
    std::vector<float> expected = flagsBefore;
    for (int i = 0; i < 3; ++i)
        expected[size_t(i)] = -flagsBefore[size_t(i)];
    EXPECT_EQ(dataFlags(s), expected);
    // The working file and its view follow.
    EXPECT_EQ(h.workFile(), WorkFileText(s));
    EXPECT_NE(h.workFile(), workBefore);
    EXPECT_TRUE(h.window->view(ViewTab::EditedDataFile)
                    ->toPlainText()
                    .contains(QStringLiteral("-1.000E+02")));
    // A truncated save now starts at point 4.
    QByteArray truncated;
    AppendPointLine(truncated, "   ", s.DataPts.x(4), NumberFormat::Fixed5, s.DataPts.conc(4),
        s.DataPts.flag(4), 3);
    const QByteArray saved = EditedFileText(s, false, true);
    const int firstPoint
        = saved.indexOf("\r\n", saved.lastIndexOf(s.CommentBuf.slot(s.NumComments))) + 2;
    EXPECT_TRUE(saved.mid(firstPoint).startsWith(truncated))
        << saved.mid(firstPoint, 60).constData();
}

TEST_F(Plotwork, CommitWithoutChangesStillRecomputesAndRewrites)
{
    runEditor(h, [&](PlotWindow &w) {
        QFile::remove(h.state->TmpPath);
        h.state->FirstIdx = 9;
        h.state->LastIdx = 10;
        w.button(7)->trigger();
    });
    EXPECT_EQ(h.state->FirstIdx, 1);
    EXPECT_EQ(h.state->LastIdx, h.state->NumPts);
    EXPECT_EQ(h.workFile(), workBefore);
    EXPECT_EQ(dataFlags(*h.state), flagsBefore);
}

TEST_F(Plotwork, NoGoodPointLeftKeepsTheMarkersAndCommitsTheFlags)
{
    setDataSet(*h.state, { { 5.9f, 0.1f }, { 6.0f, 0.2f }, { 6.1f, 0.3f, 0.0f } });
    ASSERT_EQ(h.state->LastIdx, 2); // flag 0 is not good
    runEditor(h, [&](PlotWindow &w) {
        removePoints(w, *h.state, { 1, 2 });
        w.button(7)->trigger();
    });
    EXPECT_EQ(dataFlags(*h.state), (std::vector<float> { -100.0f, -100.0f, 0.0f }));
    EXPECT_EQ(h.state->FirstIdx, 1);
    EXPECT_EQ(h.state->LastIdx, 2);
    EXPECT_FLOAT_EQ(h.state->LastX, 6.0f);

    // Restoring point 2 only: first and last good point are both 2.
    runEditor(h, [&](PlotWindow &w) {
        w.button(4)->trigger();
        clickAt(w, plotPositionOf(w, *h.state, 2));
        w.button(7)->trigger();
    });
    EXPECT_EQ(h.state->FirstIdx, 2);
    EXPECT_EQ(h.state->LastIdx, 2);
}

TEST_F(Plotwork, TheReadOutChoiceIsKeptBetweenOpenings)
{
    runEditor(h, [&](PlotWindow &w) {
        EXPECT_FALSE(w.xyCoords()->isHidden());
        w.showEmEntry()->trigger();
        w.button(7)->trigger();
    });
    EXPECT_FALSE(h.state->ShowXY);
    runEditor(h, [&](PlotWindow &w) {
        EXPECT_TRUE(w.xyCoords()->isHidden());
        EXPECT_EQ(w.showEmEntry()->text(), QStringLiteral("&Show (X,Y)"));
        w.showEmEntry()->trigger();
    }); // closed by the close box: the choice is kept all the same
    EXPECT_TRUE(h.state->ShowXY);
}

TEST_F(Plotwork, EveryOpeningStartsUnzoomedInZoomMode)
{
    runEditor(h, [&](PlotWindow &w) {
        w.button(3)->trigger();
        w.button(1)->trigger();
        dragBox(w, { 20, 20 }, { 70, 70 });
        ASSERT_TRUE(w.zoomOutEntry()->isEnabled());
        w.button(2)->trigger();
    });
    runEditor(h, [&](PlotWindow &w) {
        EXPECT_EQ(w.interaction().mode(), EditMode::Zoom);
        EXPECT_TRUE(w.button(1)->isChecked());
        EXPECT_FALSE(w.zoomOutEntry()->isEnabled());
        EXPECT_EQ(w.session().PlotXMin, h.state->DataPts.x(1));
    });
}
