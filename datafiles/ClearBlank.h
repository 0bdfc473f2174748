// SPDX-License-Identifier: GPL-3.0-or-later
// File > Clear Blank: the data set returns to the file's values.
#pragma once

struct AppContext;
class MainView;

// Drops the blank and copies all of RawPts back into DataPts, so edited
// flags, noise and sign inversion go with it.
void ClearBlank(AppContext &app, MainView &view);
