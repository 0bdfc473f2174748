// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/Noise.h"
#include "operations/NoiseDialog.h"
#include "operations/NoiseLevel.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <cmath>

namespace
{

bool enabled(const Harness &h, MenuEntry entry)
{
    return h.window->action(entry)->isEnabled();
}
bool visible(const Harness &h, MenuEntry entry)
{
    return h.window->action(entry)->isVisible();
}

// Types `level` into the dialog and presses OK.
std::function<void(QDialog &)> enter(const QString &level)
{
    return [level](QDialog &dialog) {
        auto &noise = dynamic_cast<NoiseDialog &>(dialog);
        noise.levelBox()->setText(level);
        noise.doneButton()->click();
    };
}

// A flat scan of `points` points at conc 0, in the harness's folder.
QString flatScan(Harness &h, int points)
{
    QByteArray text = "flat scan\r\n";
    for (int i = 0; i < points; ++i)
        text += QByteArray::number(5.9 + 0.0005 * i, 'f', 5) + " 0.0\r\n";
    return h.folder.write(QStringLiteral("flat.dat"), text);
}

std::vector<float> concs(const ProgramState &s)
{
    std::vector<float> values;
    for (int i = 1; i <= s.NumPts; ++i)
        values.push_back(s.DataPts.conc(i));
    return values;
}

// A platform whose uniform numbers are a fixed value, to pin down Gauss.
class ConstantRandom : public ScriptedPlatform
{
public:
    explicit ConstantRandom(float value)
        : m_value(value)
    {
    }
    float uniformRandom() override
    {
        ++draws;
        return m_value;
    }
    int draws = 0;

private:
    float m_value;
};

} // namespace

TEST(Gauss, IsTheSumOfTwelveUniformNumbersLessSix)
{
    const struct {
        const char *name;
        float uniform;
        float sigma;
        float expected;
    } rows[] = {
        { "middle", 0.5f, 0.01f, 0.0f },
        { "all zero", 0.0f, 0.01f, -0.06f },
        { "quarter", 0.25f, 2.0f, -6.0f },
        { "negative sigma", 0.25f, -2.0f, 6.0f },
        { "largest uniform", 0.99999994f, 1.0f, 6.0f },
        { "zero sigma", 0.9f, 0.0f, 0.0f },
    };
    for (const auto &row : rows) {
        ConstantRandom platform(row.uniform);
        const float value = Gauss(platform, row.sigma);
        EXPECT_FLOAT_EQ(value, row.expected) << row.name;
        EXPECT_LE(std::fabs(value), 6.0f * std::fabs(row.sigma)) << row.name;
        EXPECT_EQ(platform.draws, 12) << row.name;
    }
}

TEST(Gauss, StatisticsOverManyDraws)
{
    ScriptedPlatform platform;
    const float sigma = 0.02f;
    const int n = 20000;
    double sum = 0.0;
    double squares = 0.0;
    float largest = 0.0f;
    for (int i = 0; i < n; ++i) {
        const float v = Gauss(platform, sigma);
        sum += v;
        squares += double(v) * v;
        largest = std::max(largest, std::fabs(v));
    }
    EXPECT_NEAR(sum / n, 0.0, 4 * sigma / std::sqrt(double(n)));
    EXPECT_NEAR(std::sqrt(squares / n), sigma, 0.03 * sigma);
    EXPECT_LE(largest, 6 * sigma);
}

TEST(ReadNoiseLevel, AcceptsPlainNumbersOnly)
{
    const struct {
        const char *text;
        std::optional<float> level;
    } rows[] = {
        { " 1.00000E-02", 0.01f },
        { "0.05", 0.05f },
        { "5e-3", 0.005f },
        { "1D-2", 0.01f },
        { "+.5", 0.5f },
        { "2.", 2.0f },
        { "-0.1", -0.1f },
        { "0", 0.0f },
        { "  3  ", 3.0f },
        { "", std::nullopt },
        { "abc", std::nullopt },
        { ".", std::nullopt },
        { "1e", std::nullopt },
        { "1,5", std::nullopt },
        { "1.2.3", std::nullopt },
        { "0x10", std::nullopt },
        { "nan", std::nullopt },
        { "inf", std::nullopt },
        { "1e39", std::nullopt }, // beyond single precision
        { "- 1", std::nullopt },
    };
    for (const auto &row : rows)
        EXPECT_EQ(ReadNoiseLevel(QString::fromLatin1(row.text)), row.level)
            << '"' << row.text << '"';
}

TEST(AddNoise, TheDialogOffersTheLastLevelOverTheMainWindow)
{
    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    const QRect main = h.window->frameGeometry();
    bool checked = false;
    h.platform.modalActions.push_back([&](QDialog &dialog) {
        auto &noise = dynamic_cast<NoiseDialog &>(dialog);
        EXPECT_EQ(dialog.objectName(), QStringLiteral("AddIt"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Add Random Noise"));
        auto *label = dialog.findChild<QLabel *>(QStringLiteral("Label1"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QStringLiteral("Enter RMS Noise Level"));
        EXPECT_EQ(noise.levelBox()->objectName(), QStringLiteral("NoiseLevel"));
        EXPECT_EQ(noise.levelBox()->text(), QStringLiteral(" 1.00000E-02"));
        EXPECT_EQ(noise.levelBox()->selectedText(), QStringLiteral(" 1.00000E-02"));
        EXPECT_FALSE(noise.levelBox()->accessibleName().isEmpty());
        EXPECT_EQ(noise.doneButton()->objectName(), QStringLiteral("IsDone"));
        EXPECT_EQ(noise.doneButton()->text(), QStringLiteral("&OK"));
        EXPECT_EQ(dialog.findChildren<QPushButton *>().size(), 1) << "no cancel button";
        const QRect placed = dialog.frameGeometry();
        EXPECT_NEAR(placed.left(), main.left() + (main.width() - placed.width()) / 2.0, 1.0);
        EXPECT_EQ(placed.top(), main.top() + 120 / TwipsPerPixel);
        checked = true;
    });
    const int seeds = h.platform.seeds;
    h.trigger(MenuEntry::AddNoise);
    EXPECT_TRUE(checked);
    EXPECT_EQ(h.platform.seeds, seeds + 1) << "reseeded from the clock";
    EXPECT_FALSE(h.state->NoiseAdded) << "the close box adds nothing";
    EXPECT_TRUE(visible(h, MenuEntry::AddNoise));
}

TEST(AddNoise, AddsNoiseOfTheChosenLevelAndKeepsIt)
{
    Harness h;
    h.choose(flatScan(h, MaxPoints), MenuEntry::GetNewData);
    h.platform.modalActions.push_back(enter(QStringLiteral("0.05")));
    h.trigger(MenuEntry::AddNoise);

    const ProgramState &s = *h.state;
    EXPECT_FLOAT_EQ(s.NoiseRms, 0.05f);
    EXPECT_TRUE(s.NoiseAdded);
    double sum = 0.0;
    double squares = 0.0;
    for (int i = 1; i <= s.NumPts; ++i) {
        const float v = s.NoiseVals(i);
        ASSERT_EQ(s.DataPts.conc(i), v) << "conc 0 plus the kept value, point " << i;
        ASSERT_LE(std::fabs(v), 6 * 0.05f) << i;
        sum += v;
        squares += double(v) * v;
    }
    EXPECT_NEAR(sum / s.NumPts, 0.0, 4 * 0.05 / std::sqrt(double(s.NumPts)));
    EXPECT_NEAR(std::sqrt(squares / s.NumPts), 0.05, 0.004);
    EXPECT_NE(s.NoiseVals(1), s.NoiseVals(2));

    EXPECT_FALSE(enabled(h, MenuEntry::AddNoise) || visible(h, MenuEntry::AddNoise));
    EXPECT_TRUE(enabled(h, MenuEntry::BackItOff) && visible(h, MenuEntry::BackItOff));
    // The first point's line carries its noisy value in the file's layout.
    const QRegularExpressionMatch line = QRegularExpression(
        QStringLiteral("\r\n   5\\.90000   ([ -]\\d\\.\\d{5}E[+-]\\d\\d)    1\\.000E\\+02\r\n"))
                                             .match(QString::fromLatin1(h.workFile()));
    ASSERT_TRUE(line.hasMatch()) << h.workFile().left(200).constData();
    EXPECT_NEAR(
        line.captured(1).toDouble(), s.DataPts.conc(1), 5e-6 * std::fabs(s.DataPts.conc(1)));
}

TEST(AddNoise, RemovingTakesBackExactlyTheAddedValues)
{
    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    const std::vector<float> before = concs(*h.state);
    const QByteArray fileBefore = h.workFile();
    h.platform.modalActions.push_back(enter(QStringLiteral("1e-3")));
    h.trigger(MenuEntry::AddNoise);
    ASSERT_NE(concs(*h.state), before);

    h.trigger(MenuEntry::BackItOff);
    const std::vector<float> after = concs(*h.state);
    for (size_t i = 0; i < before.size(); ++i)
        ASSERT_NEAR(after[i], before[i], 2e-9 + 1e-6 * std::fabs(before[i])) << i;
    EXPECT_FALSE(h.state->NoiseAdded);
    EXPECT_TRUE(enabled(h, MenuEntry::AddNoise) && visible(h, MenuEntry::AddNoise));
    EXPECT_FALSE(enabled(h, MenuEntry::BackItOff) || visible(h, MenuEntry::BackItOff));
    EXPECT_EQ(h.workFile().size(), fileBefore.size());
}

TEST(AddNoise, ALevelOfZeroChangesNoDataButSwitchesTheMenus)
{
    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    const std::vector<float> before = concs(*h.state);
    const QByteArray fileBefore = h.workFile();
    QFile::remove(h.state->TmpPath);
    h.platform.modalActions.push_back(enter(QStringLiteral("0")));
    h.trigger(MenuEntry::AddNoise);
    EXPECT_EQ(concs(*h.state), before);
    EXPECT_TRUE(h.state->NoiseAdded);
    EXPECT_TRUE(visible(h, MenuEntry::BackItOff));
    EXPECT_EQ(h.workFile(), fileBefore) << "rewritten";
}

TEST(AddNoise, InvertingBetweenAddAndRemoveKeepsTheStoredNoise)
{
    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    const std::vector<float> before = concs(*h.state);
    h.platform.modalActions.push_back(enter(QStringLiteral("0.01")));
    h.trigger(MenuEntry::AddNoise);
    h.trigger(MenuEntry::InvertC);
    EXPECT_TRUE(h.state->NoiseAdded) << "inverting leaves the noise pair alone";
    h.trigger(MenuEntry::BackItOff);
    for (int i = 1; i <= h.state->NumPts; ++i) {
        const double expected = -double(before[size_t(i - 1)]) - 2.0 * h.state->NoiseVals(i);
        ASSERT_NEAR(h.state->DataPts.conc(i), expected, 2.5e-7) << i;
    }
}

TEST(AddNoise, ANonNumericLevelIsRefusedAndTheDialogStays)
{
    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    const std::vector<float> before = concs(*h.state);
    bool stayed = false;
    h.platform.modalActions.push_back([&](QDialog &dialog) {
        auto &noise = dynamic_cast<NoiseDialog &>(dialog);
        noise.levelBox()->setText(QStringLiteral("lots"));
        noise.doneButton()->click();
        stayed = dialog.isVisible() && dialog.result() == 0;
        EXPECT_EQ(noise.levelBox()->text(), QStringLiteral(" 1.00000E-02"));
        EXPECT_EQ(noise.levelBox()->selectedText(), QStringLiteral(" 1.00000E-02"));
        noise.levelBox()->setText(QStringLiteral("-2.5E-2"));
        noise.doneButton()->click();
    });
    h.trigger(MenuEntry::AddNoise);
    EXPECT_TRUE(stayed);
    ASSERT_EQ(h.platform.messages.size(), 1u);
    EXPECT_EQ(h.platform.messages[0].text, QStringLiteral("Illegal Value for RMS Noise."));
    EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("Non-Numerical Entry!"));
    EXPECT_EQ(int(h.platform.messages[0].style), 48);
    EXPECT_FLOAT_EQ(h.state->NoiseRms, -0.025f) << "a negative level is accepted";
    EXPECT_TRUE(h.state->NoiseAdded);
    EXPECT_NE(concs(*h.state), before);

    // The next opening offers the level accepted last.
    h.trigger(MenuEntry::BackItOff);
    h.platform.modalActions.push_back([](QDialog &dialog) {
        EXPECT_EQ(
            dynamic_cast<NoiseDialog &>(dialog).levelBox()->text(), QStringLiteral("-2.50000E-02"));
    });
    h.trigger(MenuEntry::AddNoise);
}

TEST(AddNoise, TwoRunsDrawDifferentNoise)
{
    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    h.platform.modalActions.push_back(enter(QStringLiteral("0.01")));
    h.trigger(MenuEntry::AddNoise);
    const float first = h.state->NoiseVals(1);
    h.trigger(MenuEntry::BackItOff);
    h.platform.modalActions.push_back(enter(QStringLiteral("0.01")));
    h.trigger(MenuEntry::AddNoise);
    EXPECT_NE(h.state->NoiseVals(1), first);
}
