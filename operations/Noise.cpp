#include "operations/Noise.h"

#include "datafiles/GetData.h"
#include "datafiles/WorkFile.h"
#include "operations/NoiseDialog.h"
#include "shell/AppContext.h"
#include "shell/MainView.h"
#include "shell/Platform.h"
#include "shell/ProgramState.h"

#include <QDialog>

#include <cmath>

namespace
{

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

void ShowNoiseAdded(ProgramState &state, MainView &view)
{
    state.NoiseAdded = true;
    view.setMenuEnabled(MenuEntry::AddNoise, false);
    view.setMenuVisible(MenuEntry::AddNoise, false);
    view.setMenuVisible(MenuEntry::BackItOff, true);
    view.setMenuEnabled(MenuEntry::BackItOff, true);
}

} // namespace

float Gauss(Platform &platform, float sigma)
{
    float sum = 0.0f;
    for (int k = 0; k < 12; ++k)
        sum += platform.uniformRandom();
    return float((double(sum) - 6.0) * double(sigma));
}

std::optional<float> ReadNoiseLevel(const QString &text)
{
    QString number = text.trimmed();
    int i = 0;
    const int length = int(number.size());
    if (i < length && (number[i] == QLatin1Char('+') || number[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    while (i < length && isDigit(number[i])) {
        ++i;
        ++digits;
    }
    if (i < length && number[i] == QLatin1Char('.')) {
        ++i;
        while (i < length && isDigit(number[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < length && QStringLiteral("eEdD").contains(number[i])) {
        number[i] = QLatin1Char('e');
        ++i;
        if (i < length && (number[i] == QLatin1Char('+') || number[i] == QLatin1Char('-')))
            ++i;
        int exponentDigits = 0;
        while (i < length && isDigit(number[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != length)
        return std::nullopt;
    bool ok = false;
    const double value = number.toDouble(&ok);
    // A level beyond single precision would turn every concentration into
    // an infinity.
    if (!ok || !std::isfinite(float(value)))
        return std::nullopt;
    return float(value);
}

void AddNoise(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    app.platform.seedRandomFromClock();
    NoiseDialog dialog(s, app.platform, view.widget());
    if (app.platform.execModal(dialog) != QDialog::Accepted)
        return;
    for (int i = 1; i <= s.NumPts; ++i) {
        s.NoiseVals(i) = Gauss(app.platform, s.NoiseRms);
        s.DataPts.conc(i) = s.DataPts.conc(i) + s.NoiseVals(i);
    }
    ShowNoiseAdded(s, view);
    RewriteWorkFile(s, view);
}

void BackItOff(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    for (int i = 1; i <= s.NumPts; ++i)
        s.DataPts.conc(i) = s.DataPts.conc(i) - s.NoiseVals(i);
    ShowNoNoise(s, view);
    RewriteWorkFile(s, view);
}
