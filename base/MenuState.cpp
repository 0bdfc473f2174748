// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/MenuState.h"

#include "base/MainView.h"
#include "core/ProgramState.h"

void ShowNoNoise(ProgramState &state, MainView &view)
{
    view.setMenuEnabled(MenuEntry::AddNoise, true);
    view.setMenuVisible(MenuEntry::AddNoise, true);
    view.setMenuVisible(MenuEntry::BackItOff, false);
    view.setMenuEnabled(MenuEntry::BackItOff, false);
    state.NoiseAdded = false;
}

void ShowNoiseAdded(ProgramState &state, MainView &view)
{
    state.NoiseAdded = true;
    view.setMenuEnabled(MenuEntry::AddNoise, false);
    view.setMenuVisible(MenuEntry::AddNoise, false);
    view.setMenuVisible(MenuEntry::BackItOff, true);
    view.setMenuEnabled(MenuEntry::BackItOff, true);
}

void EnableDataSetMenus(ProgramState &state, MainView &view)
{
    view.setMenuEnabled(MenuEntry::SaveDataFile, state.NumPts > 0);
    view.setMenuEnabled(MenuEntry::EditMenuChoice, state.NumPts > 0);
    ShowNoNoise(state, view);
}
