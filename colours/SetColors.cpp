// SPDX-License-Identifier: GPL-3.0-or-later
#include "colours/SetColors.h"

#include "base/AppContext.h"
#include "base/MainView.h"
#include "core/ProgramState.h"

void SetColors(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    const PlotColours before = ColoursOf(s);
    const std::optional<PlotColours> chosen
        = view.askColours(before, [&s](const PlotColours &colours) { SetColours(s, colours); });
    SetColours(s, chosen.value_or(before));
}
