// File > Get Blank and File > Clear Blank: a blank scan read from its own
// file is interpolated at each data radius and subtracted from the data as
// read (RawPts) into the edited data set (DataPts); clearing it returns the
// data set to the file's values.
#pragma once

struct AppContext;
class MainView;

// Picks and reads a blank file, then subtracts the loaded blank (the new
// one, or after a cancel the one loaded before) and rewrites the working
// file with two blanks before the flag field. Without any blank loaded a
// cancel changes nothing.
void GetBlankData(AppContext &app, MainView &view);

// Drops the blank and copies all of RawPts back into DataPts, so edited
// flags, noise and sign inversion go with it.
void ClearBlank(AppContext &app, MainView &view);
