// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/Noise.h"

#include "base/AppContext.h"
#include "base/MainView.h"
#include "base/MenuState.h"
#include "base/Platform.h"
#include "core/ProgramState.h"
#include "datafiles/WorkFile.h"

#include <cmath>

float Gauss(Platform &platform, float sigma)
{
    float sum = 0.0f;
    for (int k = 0; k < 12; ++k)
        sum += platform.uniformRandom();
    return float((double(sum) - 6.0) * double(sigma));
}

void AddNoise(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    app.platform.seedRandomFromClock();
    const std::optional<float> level = view.askNoiseLevel(s.NoiseRms);
    if (!level)
        return;
    s.NoiseRms = *level;
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
