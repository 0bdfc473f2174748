// SPDX-License-Identifier: GPL-3.0-or-later
// The menu entries that follow the data set's state, set in one place so
// every command that changes that state shows it the same way.
#pragma once

struct ProgramState;
class MainView;

// Menus once a data set is loaded: Save and Edit enabled when it has points
// (an editor or a save without them has nothing to work on), and the noise
// pair back to "no noise" (see ShowNoNoise).
void EnableDataSetMenus(ProgramState &state, MainView &view);

// Add Random Noise enabled and shown, Remove Random Noise hidden and
// disabled, NoiseAdded false.
void ShowNoNoise(ProgramState &state, MainView &view);

// The reverse: NoiseAdded true, Remove Random Noise offered in place of Add.
void ShowNoiseAdded(ProgramState &state, MainView &view);
