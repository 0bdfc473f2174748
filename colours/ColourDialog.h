// SPDX-License-Identifier: GPL-3.0-or-later
// SetColor: three sliders for the colour of good points and three for that
// of deleted points, each beside a preview shape outlined in the colour.
// A slider changes its component at once, shown through the preview
// callback; OK keeps the new colours, while Cancel and the close box put back
// (and preview) the colours the dialog opened with.
//
// The slider index order is not the visual order: 0, 1, 2 are good red,
// green and blue, 3, 4, 5 deleted blue, green and red, so the deleted column
// reads 5, 4, 3 from the top.
#pragma once

#include <QDialog>

#include "core/ProgramState.h"

#include <array>
#include <cstdint>
#include <functional>

class QFrame;
class QPushButton;
class QSlider;

class ColourDialog : public QDialog
{
    Q_OBJECT

public:
    using Preview = std::function<void(const PlotColours &)>;

    ColourDialog(const PlotColours &current, Preview preview, QWidget *parent);

    // The colours as the sliders stand; after any close, those to keep.
    const PlotColours &colours() const { return m_colours; }

    QSlider *slider(int index) const { return m_sliders.at(size_t(index)); }
    QFrame *shape(int number) const { return number == 1 ? m_shape1 : m_shape2; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

    // Every way of closing ends here: the saved colours come back, which
    // after OK already are the new ones.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    int16_t &component(int index);
    void saveColours();
    void Form_Paint();
    void Slider1_Change(int index);
    void IsOK_Click();
    void ForgetIt_Click();
    void showOutlines();

    PlotColours m_colours;
    Preview m_preview;
    std::array<int16_t, 6> m_savedColors {}; // good R, G, B, deleted R, G, B
    std::array<QSlider *, 6> m_sliders {};
    QFrame *m_shape1 = nullptr;
    QFrame *m_shape2 = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
