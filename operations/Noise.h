// Edit > Add Random Noise and Remove Random Noise: Gaussian noise of a
// chosen RMS level is added to every concentration, and the very values
// added are kept in NoiseVals so that removing the noise subtracts exactly
// them. Only one lot of noise is on the data at a time; the two menu
// entries switch places to show which command is offered.
#pragma once

#include <QString>

#include <optional>

struct AppContext;
class MainView;
class Platform;

// Reseeds the generator from the clock and asks for the level in the AddIt
// dialog; on OK draws one noise value per point, adds it and rewrites the
// working file. Closing the dialog adds nothing.
void AddNoise(AppContext &app, MainView &view);

// Subtracts the stored noise values and rewrites the working file.
void BackItOff(AppContext &app, MainView &view);

// One normally distributed value with standard deviation |sigma|: the sum
// of twelve uniform numbers in single precision, less 6, times sigma. Its
// magnitude never exceeds 6 |sigma|.
float Gauss(Platform &platform, float sigma);

// The level typed into the dialog: a decimal number with optional sign,
// decimal point and exponent (E or D), blanks around it allowed. Nothing
// when the text is not such a number or does not fit a single-precision
// float.
std::optional<float> ReadNoiseLevel(const QString &text);
