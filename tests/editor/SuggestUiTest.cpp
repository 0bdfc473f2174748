// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EditorSupport.h"

#include "editor/SuggestDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <random>
#include <vector>

namespace
{

void key(PlotWindow &w, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(&w, k, modifiers);
}

void suggest(PlotWindow &w)
{
    key(w, Qt::Key_G, Qt::ControlModifier);
}

void removeSuggested(PlotWindow &w)
{
    key(w, Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
}

// Sixty points of a gently sloping plateau with standard deviations in the
// third column, and three kinds planted: place-holder rows (reading 1.0,
// deviation 0 stored as 100) at 5, 6 and 30, a spike at 40, and the
// detector saturated at 4.0 over the last six points.
std::vector<TestPoint> plantedScan()
{
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0.0, 1e-3);
    std::uniform_real_distribution<double> deviation(0.7e-3, 1.4e-3);
    std::vector<TestPoint> points;
    for (int i = 1; i <= 60; ++i) {
        const double x = 5.9 + 1.3 * (i - 1) / 59.0;
        points.push_back(
            { float(x), float(0.5 + 0.1 * (x - 5.9) + noise(rng)), float(deviation(rng)) });
    }
    for (int i : { 5, 6, 30 })
        points[size_t(i - 1)] = { points[size_t(i - 1)].x, 1.0f, 100.0f };
    points[39].conc += 0.05f;
    for (int i = 55; i <= 60; ++i)
        points[size_t(i - 1)].conc = 4.0f;
    return points;
}

const std::vector<int> planted { 5, 6, 30, 40, 55, 56, 57, 58, 59, 60 };
const QColor Orange(255, 140, 0);

template <typename Flags> std::vector<int> removed(const Flags &flag, int count)
{
    std::vector<int> out;
    for (int i = 1; i <= count; ++i) {
        if (flag(i) < 0.0f)
            out.push_back(i);
    }
    return out;
}

std::vector<int> with(std::vector<int> points, int extra)
{
    points.push_back(extra);
    std::sort(points.begin(), points.end());
    return points;
}

} // namespace

TEST(SuggestUi, SuggestRingsThePlantedPointsAndCountsThemByKind)
{
    Harness h;
    setDataSet(*h.state, plantedScan());
    runEditor(h, [&](PlotWindow &w) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        QStringList top;
        for (const QAction *action : w.menus()->actions())
            top << action->text();
        EXPECT_EQ(top,
            (QStringList { "&ZoomOut", "&Hide (X,Y)", "&Printer", "&Copy", "Su&ggest",
                "&ln c vs r\u00b2/2..." }));
        QStringList entries;
        for (const QAction *action : w.suggestMenu()->actions()) {
            if (!action->isSeparator())
                entries << action->text() + QLatin1Char('|') + action->statusTip();
        }
        EXPECT_EQ(entries,
            (QStringList { "Suggest|Key: Ctrl+G", "Remove suggested|Key: Ctrl+Shift+G",
                "Clear suggestions|", "Suggest settings...|" }));
        EXPECT_FALSE(w.removeSuggestedEntry()->isEnabled());
        EXPECT_FALSE(w.clearSuggestionsEntry()->isEnabled());

        suggest(w);
        EXPECT_EQ(w.ringedPoints(), planted);
        EXPECT_EQ(w.canvas()->suggestRings().size(), planted.size());
        EXPECT_EQ(w.suggestLabel()->text(),
            QStringLiteral("Suggested: 10 (place-holder 3, saturated 6, spikes 1)"));
        EXPECT_TRUE(w.removeSuggestedEntry()->isEnabled());
        EXPECT_TRUE(w.clearSuggestionsEntry()->isEnabled());

        // Orange rings on the screen around the planted points only; the
        // picture that is printed or saved has none.
        const double radius = w.canvas()->suggestRingRadius();
        auto orangeAt = [&](const QImage &image, int i) {
            return nearColour(
                colourOnCircleNearest(w, image, plotPositionOf(w, i), radius, Orange), Orange, 40);
        };
        const QImage screen = w.canvas()->grab().toImage();
        for (int i : { 5, 30, 40, 57 })
            EXPECT_TRUE(orangeAt(screen, i)) << i;
        for (int i : { 17, 48 })
            EXPECT_FALSE(orangeAt(screen, i)) << i;
        EXPECT_FALSE(orangeAt(w.plotImage(), 40));

        // The tip of the point a click would change names its kinds.
        w.button(2)->trigger();
        sendMouse(w, QEvent::MouseMove, plotPositionOf(w, 40), Qt::NoButton);
        EXPECT_TRUE(w.canvas()->toolTip().startsWith(QStringLiteral("Point 40: ")));
        EXPECT_TRUE(w.canvas()->toolTip().endsWith(QStringLiteral("\nSuggested: spike")));
        sendMouse(w, QEvent::MouseMove, plotPositionOf(w, 57), Qt::NoButton);
        EXPECT_TRUE(w.canvas()->toolTip().endsWith(QStringLiteral("\nSuggested: saturated")));
        sendMouse(w, QEvent::MouseMove, plotPositionOf(w, 17), Qt::NoButton);
        EXPECT_FALSE(w.canvas()->toolTip().contains(QStringLiteral("Suggested")));
        sendMouse(w, QEvent::MouseMove, { 130.0, 130.0 }, Qt::NoButton);

        // A zoom keeps the marks on their points and rings those in view.
        w.button(1)->trigger();
        const QPointF from = plotPositionOf(w, 36), to = plotPositionOf(w, 44);
        dragBox(w, { from.x(), from.y() - 4.0 }, { to.x(), to.y() + 4.0 });
        ASSERT_TRUE(w.zoomOutEntry()->isEnabled());
        EXPECT_EQ(w.ringedPoints(), planted);
        EXPECT_EQ(w.canvas()->suggestRings(), std::vector<QPointF> { plotPositionOf(w, 40) });
        key(w, Qt::Key_Home);
        EXPECT_EQ(w.canvas()->suggestRings().size(), planted.size());
    });
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(SuggestUi, RemoveSuggestedIsOneStepThatReachesTheCommit)
{
    Harness h;
    setDataSet(*h.state, plantedScan());
    runEditor(h, [&](PlotWindow &w) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        const PlotSession &s = w.session();
        w.button(2)->trigger();
        clickAt(w, plotPositionOf(w, 20));
        suggest(w);
        EXPECT_EQ(w.ringedPoints(), planted);
        const QString all = QStringLiteral("Suggested: 10 (place-holder 3, saturated 6, spikes 1)");
        EXPECT_EQ(w.suggestLabel()->text(), all);

        // A point the user removes loses its ring and its count, and an undo
        // gives both back.
        clickAt(w, plotPositionOf(w, 40));
        EXPECT_EQ(w.ringedPoints().size(), planted.size() - 1);
        EXPECT_EQ(w.canvas()->suggestRings().size(), planted.size() - 1);
        EXPECT_EQ(
            w.suggestLabel()->text(), QStringLiteral("Suggested: 9 (place-holder 3, saturated 6)"));
        key(w, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(w.ringedPoints(), planted);
        EXPECT_EQ(w.suggestLabel()->text(), all);

        const int depth = w.history().undoDepth();
        removeSuggested(w);
        EXPECT_EQ(w.history().undoDepth(), depth + 1);
        EXPECT_EQ(removed(s.PlotFlag, s.PlotCount), with(planted, 20));
        EXPECT_TRUE(w.ringedPoints().empty());
        EXPECT_TRUE(w.canvas()->suggestRings().empty());
        EXPECT_EQ(w.suggestLabel()->text(), QStringLiteral("No points suggested"));
        EXPECT_FALSE(w.removeSuggestedEntry()->isEnabled());
        EXPECT_TRUE(w.clearSuggestionsEntry()->isEnabled());

        key(w, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(removed(s.PlotFlag, s.PlotCount), std::vector<int> { 20 });
        EXPECT_EQ(w.ringedPoints(), planted);
        EXPECT_EQ(w.suggestLabel()->text(), all);
        key(w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(removed(s.PlotFlag, s.PlotCount), with(planted, 20));
        key(w, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_FALSE(w.isVisible());
    });
    EXPECT_TRUE(h.platform.messages.empty());
    ASSERT_TRUE(h.state->CommitEdits);
    EXPECT_EQ(removed([&](int i) { return h.state->DataPts.flag(i); }, h.state->NumPts),
        with(planted, 20));
}

TEST(SuggestUi, ClearDropsTheMarksForGood)
{
    Harness h;
    setDataSet(*h.state, plantedScan());
    runEditor(h, [&](PlotWindow &w) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        suggest(w);
        w.button(2)->trigger();
        clickAt(w, plotPositionOf(w, 40));
        w.clearSuggestionsEntry()->trigger();
        EXPECT_TRUE(w.ringedPoints().empty());
        EXPECT_TRUE(w.canvas()->suggestRings().empty());
        EXPECT_TRUE(w.suggestLabel()->text().isEmpty());
        EXPECT_FALSE(w.removeSuggestedEntry()->isEnabled());
        EXPECT_FALSE(w.clearSuggestionsEntry()->isEnabled());
        // The point comes back, its mark does not.
        key(w, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_GT(w.session().PlotFlag(40), 0.0f);
        EXPECT_TRUE(w.ringedPoints().empty());
        removeSuggested(w);
        EXPECT_EQ(removed(w.session().PlotFlag, w.session().PlotCount), std::vector<int> {});
        w.button(8)->trigger();
    });
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(SuggestUi, SettingsRefuseBadValuesAndTheNextSuggestUsesThem)
{
    Harness h;
    setDataSet(*h.state, plantedScan());
    runEditor(h, [&](PlotWindow &w) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        bool accepted = false;
        h.platform.modalActions.push_back([&](QDialog &dialog) {
            auto &ask = dynamic_cast<SuggestDialog &>(dialog);
            EXPECT_EQ(dialog.objectName(), QStringLiteral("SuggestSettings"));
            EXPECT_EQ(ask.valueBox(SuggestParameter::UnreliableFactor)->text(), "10");
            EXPECT_EQ(ask.valueBox(SuggestParameter::SaturationRun)->text(), "3");
            EXPECT_EQ(ask.valueBox(SuggestParameter::SpikeThreshold)->text(), "4");
            EXPECT_EQ(ask.valueBox(SuggestParameter::SpikeHalfWindow)->text(), "5");
            for (int k = 0; k < SuggestKindCount; ++k)
                EXPECT_TRUE(ask.kindBox(SuggestKind(k))->isChecked());
            const struct {
                SuggestParameter field;
                const char *typed;
                const char *valid;
                const char *message;
            } refused[] = {
                { SuggestParameter::SaturationRun, "abc", "3",
                    "The shortest saturated run must be a number." },
                { SuggestParameter::SpikeThreshold, "1.9", "4",
                    "The spike threshold must be from 2 to 100." },
            };
            for (const auto &row : refused) {
                SCOPED_TRACE(row.typed);
                QLineEdit *box = ask.valueBox(row.field);
                box->setText(QLatin1String(row.typed));
                ask.okButton()->click();
                EXPECT_TRUE(dialog.isVisible());
                EXPECT_EQ(dialog.result(), 0);
                ASSERT_FALSE(h.platform.messages.empty());
                EXPECT_EQ(h.platform.messages.back().text, QLatin1String(row.message));
                EXPECT_EQ(h.platform.messages.back().title, QStringLiteral("Suggest Settings"));
                EXPECT_EQ(dialog.focusWidget(), box);
                EXPECT_EQ(box->selectedText(), QLatin1String(row.typed));
                box->setText(QLatin1String(row.valid));
            }
            // Longer than the planted run of six; spikes off.
            ask.valueBox(SuggestParameter::SaturationRun)->setText(QStringLiteral(" 10 "));
            ask.kindBox(SuggestKind::Spike)->setChecked(false);
            ask.okButton()->click();
            accepted = !dialog.isVisible() && dialog.result() == QDialog::Accepted;
        });
        w.suggestSettingsEntry()->trigger();
        EXPECT_TRUE(accepted);
        EXPECT_EQ(h.platform.messages.size(), 2u);
        EXPECT_EQ(w.suggestSettings().saturationRun, 10);

        w.suggestEntry()->trigger();
        EXPECT_EQ(w.ringedPoints(), (std::vector<int> { 5, 6, 30 }));
        EXPECT_EQ(w.suggestLabel()->text(), QStringLiteral("Suggested: 3 (place-holder 3)"));

        // Offered again as accepted; Cancel keeps them.
        h.platform.modalActions.push_back([&](QDialog &dialog) {
            auto &ask = dynamic_cast<SuggestDialog &>(dialog);
            EXPECT_EQ(ask.valueBox(SuggestParameter::SaturationRun)->text(), "10");
            EXPECT_FALSE(ask.kindBox(SuggestKind::Spike)->isChecked());
            ask.kindBox(SuggestKind::Spike)->setChecked(true);
            dialog.reject();
        });
        w.suggestSettingsEntry()->trigger();
        EXPECT_FALSE(w.suggestSettings().enabled.has(SuggestKind::Spike));
    });
}

TEST(SuggestUi, AScanOfThreePointsGetsNoSuggestionAndNoError)
{
    Harness h;
    setDataSet(
        *h.state, { { 6.0f, 0.1f, 100.0f }, { 6.5f, 0.5f, 100.0f }, { 7.0f, 0.9f, 100.0f } });
    runEditor(h, [&](PlotWindow &w) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        suggest(w);
        EXPECT_EQ(w.suggestLabel()->text(), QStringLiteral("No points suggested"));
        EXPECT_TRUE(w.ringedPoints().empty());
        EXPECT_FALSE(w.removeSuggestedEntry()->isEnabled());
        EXPECT_FALSE(w.clearSuggestionsEntry()->isEnabled());
    });
    EXPECT_TRUE(h.platform.messages.empty());
}
