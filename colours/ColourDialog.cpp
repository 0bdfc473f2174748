// SPDX-License-Identifier: GPL-3.0-or-later
#include "colours/ColourDialog.h"

#include "base/Platform.h"
#include "core/ProgramState.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <cmath>

namespace
{

using Component = int16_t PlotColours::*;

// The component of each slider index.
constexpr std::array<Component, 6> sliderComponents = {
    &PlotColours::GoodRed,
    &PlotColours::GoodGreen,
    &PlotColours::GoodBlue,
    &PlotColours::DelBlue,
    &PlotColours::DelGreen,
    &PlotColours::DelRed,
};

// SavedColors: good red, green, blue, then deleted red, green, blue.
constexpr std::array<Component, 6> savedOrder = {
    &PlotColours::GoodRed,
    &PlotColours::GoodGreen,
    &PlotColours::GoodBlue,
    &PlotColours::DelRed,
    &PlotColours::DelGreen,
    &PlotColours::DelBlue,
};

struct SliderPlace {
    int index;
    int left;
    int top;
    const char *letter;
    const char *name;
};

// In the order of painting: the good column top down, then the deleted one.
constexpr SliderPlace sliderPlaces[] = {
    { 0, 564, 1260, "R", "Good Data red" },
    { 1, 564, 1716, "G", "Good Data green" },
    { 2, 552, 2172, "B", "Good Data blue" },
    { 5, 2544, 1260, "R", "Deleted Data red" },
    { 4, 2544, 1716, "G", "Deleted Data green" },
    { 3, 2544, 2172, "B", "Deleted Data blue" },
};

QLabel *heading(QWidget *parent, const QString &text, const QRect &place)
{
    auto *label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(place);
    return label;
}

QFrame *previewShape(
    QWidget *parent, const char *name, const QString &accessibleName, const QRect &place)
{
    auto *shape = new QFrame(parent);
    shape->setObjectName(QLatin1String(name));
    shape->setAccessibleName(accessibleName);
    shape->setGeometry(place);
    return shape;
}

} // namespace

ColourDialog::ColourDialog(const PlotColours &current, Preview preview, QWidget *parent)
    : QDialog(parent)
    , m_colours(current)
    , m_preview(std::move(preview))
{
    setObjectName(QStringLiteral("SetColor"));
    setWindowTitle(QStringLiteral("Set Plot Colors"));
    setFixedSize(TwipsToPixels(4080), TwipsToPixels(3480));

    heading(this, QStringLiteral("Good Data"), TwipsToPixels(240, 108, 1524, 348));
    heading(this, QStringLiteral("Deleted Data"), TwipsToPixels(2076, 120, 1860, 348));
    m_shape1 = previewShape(
        this, "Shape1", QStringLiteral("Good Data colour"), TwipsToPixels(744, 600, 504, 504));
    m_shape2 = previewShape(
        this, "Shape2", QStringLiteral("Deleted Data colour"), TwipsToPixels(2760, 600, 504, 504));

    for (const SliderPlace &place : sliderPlaces) {
        auto *slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(QStringLiteral("Slider1"));
        slider->setProperty("Index", place.index);
        slider->setAccessibleName(QLatin1String(place.name));
        slider->setRange(0, 255);
        slider->setSingleStep(1);
        slider->setPageStep(5);
        slider->setGeometry(TwipsToPixels(place.left, place.top, 972, 396));
        auto *letter = new QLabel(QLatin1String(place.letter), this);
        letter->setGeometry(TwipsToPixels(place.left - 300, place.top + 60, 240, 276));
        letter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        letter->setBuddy(slider);
        m_sliders[size_t(place.index)] = slider;
    }

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("IsOK"));
    m_ok->setGeometry(TwipsToPixels(540, 2784, 972, 396));
    connect(m_ok, &QPushButton::clicked, this, &ColourDialog::IsOK_Click);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("ForgetIt"));
    m_cancel->setGeometry(TwipsToPixels(2544, 2784, 972, 396));
    connect(m_cancel, &QPushButton::clicked, this, &ColourDialog::ForgetIt_Click);

    // Form_Load: the colours to return to.
    saveColours();
    Form_Paint();
    for (int i = 0; i < 6; ++i)
        connect(
            m_sliders[size_t(i)], &QSlider::valueChanged, this, [this, i] { Slider1_Change(i); });
}

int16_t &ColourDialog::component(int index)
{
    return m_colours.*sliderComponents.at(size_t(index));
}

void ColourDialog::saveColours()
{
    for (size_t i = 0; i < savedOrder.size(); ++i)
        m_savedColors[i] = m_colours.*savedOrder[i];
}

void ColourDialog::showOutlines()
{
    const auto outline = [](QFrame *shape, int red, int green, int blue) {
        shape->setStyleSheet(QStringLiteral("QFrame { border: 2px solid rgb(%1, %2, %3); }")
                                 .arg(red)
                                 .arg(green)
                                 .arg(blue));
    };
    outline(m_shape1, m_colours.GoodRed, m_colours.GoodGreen, m_colours.GoodBlue);
    outline(m_shape2, m_colours.DelRed, m_colours.DelGreen, m_colours.DelBlue);
}

void ColourDialog::Form_Paint()
{
    showOutlines();
    for (const int index : { 0, 1, 2, 5, 4, 3 })
        m_sliders[size_t(index)]->setValue(component(index));
}

void ColourDialog::showEvent(QShowEvent *event)
{
    Form_Paint();
    QDialog::showEvent(event);
}

void ColourDialog::Slider1_Change(int index)
{
    component(index) = int16_t(m_sliders[size_t(index)]->value());
    if (m_preview)
        m_preview(m_colours);
    Form_Paint();
}

void ColourDialog::IsOK_Click()
{
    saveColours();
    accept();
}

void ColourDialog::ForgetIt_Click()
{
    reject();
}

void ColourDialog::done(int result)
{
    for (size_t i = 0; i < savedOrder.size(); ++i)
        m_colours.*savedOrder[i] = m_savedColors[i];
    if (m_preview)
        m_preview(m_colours);
    QDialog::done(result);
}
