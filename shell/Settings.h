// The settings file "Kelvane.ini": the time of the last start and the plot
// colours.
#pragma once

struct AppContext;

// At start: writes "LastAccess" "Date" (MM-DD-YYYY) and "Time" (HH:MM:SS),
// then reads the six colour keys, each defaulting to the colour's current
// value. A value that is not a number keeps that value; one outside 0..255
// is brought to the nearer end.
void ReadSettings(AppContext &app);

// At a confirmed exit: writes the six colour keys.
void WriteColourSettings(AppContext &app);
