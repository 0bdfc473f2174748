// SPDX-License-Identifier: GPL-3.0-or-later
#include "colours/ColourDialog.h"
#include "core/Profile.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QFrame>
#include <QImage>
#include <QPushButton>
#include <QSlider>

#include <array>

namespace
{

using Colours = std::array<int, 6>; // good R, G, B, deleted R, G, B

Colours colours(const ProgramState &s)
{
    return { s.GoodRed, s.GoodGreen, s.GoodBlue, s.DelRed, s.DelGreen, s.DelBlue };
}

ColourDialog &colourDialog(QDialog &dialog)
{
    return dynamic_cast<ColourDialog &>(dialog);
}

// The colour of the preview's outline, halfway down its left edge.
QColor outline(QFrame *shape)
{
    return shape->grab().toImage().pixelColor(0, shape->height() / 2);
}

} // namespace

TEST(SetColors, EachSliderIndexMovesItsOwnComponent)
{
    const struct {
        int index;
        Colours after;
    } rows[] = {
        { 0, { 128, 127, 0, 255, 0, 0 } },
        { 1, { 0, 128, 0, 255, 0, 0 } },
        { 2, { 0, 127, 128, 255, 0, 0 } },
        { 3, { 0, 127, 0, 255, 0, 128 } },
        { 4, { 0, 127, 0, 255, 128, 0 } },
        { 5, { 0, 127, 0, 128, 0, 0 } },
    };
    for (const auto &row : rows) {
        Harness h;
        h.platform.modalActions.push_back([&](QDialog &dialog) {
            colourDialog(dialog).slider(row.index)->setValue(128);
            EXPECT_EQ(colours(*h.state), row.after) << "at once, index " << row.index;
            colourDialog(dialog).okButton()->click();
        });
        h.trigger(MenuEntry::SetColors);
        EXPECT_EQ(colours(*h.state), row.after) << "after OK, index " << row.index;
    }
}

TEST(SetColors, OpensOnTheCurrentColoursWithTheDocumentedLayout)
{
    Harness h;
    h.state->DelGreen = 40;
    bool checked = false;
    h.platform.modalActions.push_back([&](QDialog &dialog) {
        ColourDialog &d = colourDialog(dialog);
        EXPECT_EQ(dialog.objectName(), QStringLiteral("SetColor"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Set Plot Colors"));
        EXPECT_EQ(dialog.size(), QSize(272, 232));
        const int positions[] = { 0, 127, 0, 0, 40, 255 }; // by slider index
        const QRect places[] = { { 38, 84, 65, 26 }, { 38, 114, 65, 26 }, { 37, 145, 65, 26 },
            { 170, 145, 65, 26 }, { 170, 114, 65, 26 }, { 170, 84, 65, 26 } };
        for (int i = 0; i < 6; ++i) {
            QSlider *slider = d.slider(i);
            EXPECT_EQ(slider->objectName(), QStringLiteral("Slider1"));
            EXPECT_EQ(slider->property("Index").toInt(), i);
            EXPECT_EQ(slider->value(), positions[i]) << i;
            EXPECT_EQ(slider->geometry(), places[i]) << i;
            EXPECT_EQ(slider->minimum(), 0);
            EXPECT_EQ(slider->maximum(), 255);
            EXPECT_EQ(slider->singleStep(), 1);
            EXPECT_EQ(slider->pageStep(), 5);
            EXPECT_FALSE(slider->accessibleName().isEmpty()) << i;
        }
        EXPECT_EQ(d.shape(1)->objectName(), QStringLiteral("Shape1"));
        EXPECT_EQ(d.shape(1)->geometry(), QRect(50, 40, 34, 34));
        EXPECT_EQ(d.shape(2)->geometry(), QRect(184, 40, 34, 34));
        EXPECT_EQ(outline(d.shape(1)), QColor(0, 127, 0));
        EXPECT_EQ(outline(d.shape(2)), QColor(255, 40, 0));
        EXPECT_EQ(d.okButton()->objectName(), QStringLiteral("IsOK"));
        EXPECT_EQ(d.okButton()->text(), QStringLiteral("OK"));
        EXPECT_EQ(d.cancelButton()->objectName(), QStringLiteral("ForgetIt"));
        EXPECT_EQ(d.cancelButton()->text(), QStringLiteral("Cancel"));

        d.slider(5)->setValue(10);
        EXPECT_EQ(outline(d.shape(2)), QColor(10, 40, 0)) << "the preview follows the slider";
        checked = true;
    });
    h.trigger(MenuEntry::SetColors);
    EXPECT_TRUE(checked);
}

TEST(SetColors, CancelAndTheCloseBoxPutBackTheOpeningColours)
{
    const struct {
        const char *name;
        std::function<void(ColourDialog &)> close;
    } rows[] = {
        { "Cancel", [](ColourDialog &d) { d.cancelButton()->click(); } },
        { "close box", [](ColourDialog &d) { d.close(); } },
        { "left open", [](ColourDialog &) {} }, // the scripted platform closes it
    };
    for (const auto &row : rows) {
        Harness h;
        const Colours start { 12, 34, 56, 78, 90, 123 };
        ProgramState &s = *h.state;
        s.GoodRed = 12, s.GoodGreen = 34, s.GoodBlue = 56;
        s.DelRed = 78, s.DelGreen = 90, s.DelBlue = 123;
        h.platform.modalActions.push_back([&](QDialog &dialog) {
            ColourDialog &d = colourDialog(dialog);
            for (int i = 0; i < 6; ++i)
                d.slider(i)->setValue(200 + i);
            EXPECT_NE(colours(s), start);
            row.close(d);
        });
        h.trigger(MenuEntry::SetColors);
        EXPECT_EQ(colours(s), start) << row.name;
    }
}

TEST(SetColors, NewColoursOpenTheNextDialogAndReachTheSettingsFile)
{
    Harness h;
    h.platform.modalActions.push_back([](QDialog &dialog) {
        ColourDialog &d = colourDialog(dialog);
        d.slider(0)->setValue(10);
        d.slider(3)->setValue(30);
        d.okButton()->click();
    });
    h.trigger(MenuEntry::SetColors);
    h.platform.modalActions.push_back([](QDialog &dialog) {
        ColourDialog &d = colourDialog(dialog);
        EXPECT_EQ(d.slider(0)->value(), 10);
        EXPECT_EQ(d.slider(3)->value(), 30);
        d.slider(1)->setValue(99); // then closed: not kept
    });
    h.trigger(MenuEntry::SetColors);
    EXPECT_EQ(colours(*h.state), (Colours { 10, 127, 0, 255, 0, 30 }));
    EXPECT_FALSE(readFileBytes(h.platform.settingsFile).contains("GoodData")) << "only at exit";

    h.platform.messageAnswers.push_back(MsgAnswer::Yes);
    ASSERT_TRUE(h.window->close());
    const QString ini = h.platform.settingsFile;
    EXPECT_EQ(GetProfileInt(ini, "GoodData", "Red", -1), 10);
    EXPECT_EQ(GetProfileInt(ini, "GoodData", "Green", -1), 127);
    EXPECT_EQ(GetProfileInt(ini, "GoodData", "Blue", -1), 0);
    EXPECT_EQ(GetProfileInt(ini, "DeletedData", "Red", -1), 255);
    EXPECT_EQ(GetProfileInt(ini, "DeletedData", "Green", -1), 0);
    EXPECT_EQ(GetProfileInt(ini, "DeletedData", "Blue", -1), 30);
}
