// SPDX-License-Identifier: GPL-3.0-or-later
// Edit > Invert Sign of Data: every concentration of the edited data set is
// multiplied by -1, for data recorded with the opposite sign convention.
// Nothing else changes; inverting twice gives the data back exactly.
#pragma once

struct AppContext;
class MainView;

void InvertC(AppContext &app, MainView &view);
