// File > Get Data: choose a data file and make it the data set.
#pragma once

struct AppContext;
struct ProgramState;
class MainView;

void GetNewData(AppContext &app, MainView &view);

// Menus once a data set is loaded: Save and Edit enabled, and the noise pair
// back to "no noise" (see ShowNoNoise).
void EnableDataSetMenus(ProgramState &state, MainView &view);

// Add Random Noise enabled and shown, Remove Random Noise hidden and
// disabled, NoiseAdded false.
void ShowNoNoise(ProgramState &state, MainView &view);
