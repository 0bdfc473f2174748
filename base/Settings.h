// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file "Kelvane.ini": the time of the last start, the plot
// colours and the files opened last.
#pragma once

struct AppContext;

// At start: writes "LastAccess" "Date" (MM-DD-YYYY) and "Time" (HH:MM:SS),
// then reads the six colour keys, each defaulting to the colour's current
// value. A value that is not a number keeps that value; one outside 0..255
// is brought to the nearer end. Then the recent files, "RecentFiles"
// "File1" (newest) to "File8", into state.RecentFiles; empty keys are skipped.
void ReadSettings(AppContext &app);

// When the recent files change: all eight keys in one write, unused ones
// empty. False when the file could not be written.
bool WriteRecentFiles(AppContext &app);

// At a confirmed exit: writes the six colour keys.
void WriteColourSettings(AppContext &app);
