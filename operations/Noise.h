// SPDX-License-Identifier: GPL-3.0-or-later
// Edit > Add Random Noise and Remove Random Noise: Gaussian noise of a
// chosen RMS level is added to every concentration, and the very values
// added are kept in NoiseVals so that removing the noise subtracts exactly
// them. Only one lot of noise is on the data at a time; the two menu
// entries switch places to show which command is offered.
#pragma once

struct AppContext;
class MainView;
class Platform;

// Reseeds the generator from the clock and asks the view for the level,
// offering the last one; on OK the level becomes NoiseRms, one noise value
// per point is drawn and added, and the working file is rewritten. Closing
// the dialog adds nothing.
void AddNoise(AppContext &app, MainView &view);

// Subtracts the stored noise values and rewrites the working file.
void BackItOff(AppContext &app, MainView &view);

// One normally distributed value with standard deviation |sigma|: the sum
// of twelve uniform numbers in single precision, less 6, times sigma. Its
// magnitude never exceeds 6 |sigma|.
float Gauss(Platform &platform, float sigma);
