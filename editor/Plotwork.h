// Edit > Data (graphically): opens the Plotwork editor on a copy of the data
// set and, when the editor is left with "Exit and update data set", hands its
// flags back to the data set.
#pragma once

struct AppContext;
class MainView;

void DoPlotwork(AppContext &app, MainView &view);
