// SPDX-License-Identifier: GPL-3.0-or-later
// Edit > Data (graphically): opens the Plotwork editor on a copy of the data
// set and, when the editor is left with "Exit and update data set", hands its
// flags back to the data set.
#pragma once

#include "core/PlotSession.h"

struct AppContext;
class MainView;
struct ProgramState;

void DoPlotwork(AppContext &app, MainView &view);

// The editor's copy of the state's plot arrays, texts, range, colours, the
// read-out preference, the printer name and the working directory.
PlotSession PlotSessionFrom(const ProgramState &state);
