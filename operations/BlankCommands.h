// SPDX-License-Identifier: GPL-3.0-or-later
// File > Get Blank: a blank scan read from its own file is interpolated at
// each data radius and subtracted from the data as read (RawPts) into the
// edited data set (DataPts). Clear Blank lives with the data files, since
// loading from a fit file clears the blank too.
#pragma once

struct AppContext;
class MainView;

// Picks and reads a blank file, then subtracts the loaded blank (the new
// one, or after a cancel the one loaded before) and rewrites the working
// file with two blanks before the flag field. Without any blank loaded a
// cancel changes nothing.
void GetBlankData(AppContext &app, MainView &view);
