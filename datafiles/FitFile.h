// SPDX-License-Identifier: GPL-3.0-or-later
// Fit files written by the fitting program: a list of data files, each with
// the XI range the fit used and the points it left out. "Get File(s) From
// Fit-File" reads the list into the LoadedFiles menu and loads its entries
// with the fit's selection of points marked deleted.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

struct AppContext;
class MainView;
class ProfileReader;

// Numbers in fit-file values: leading blanks, an optional sign, digits with
// at most one decimal point, an optional exponent after E or D; reading stops
// at the first other character; no number reads as 0.
double LenientNumber(const QByteArray &text);

constexpr int MaxLeftOutPoints = 2048;

// The data files a fit file lists that exist, in fit-file order.
struct FitList {
    int listed = 0; // "FileCount" "number"
    QStringList names; // every existing file, even beyond the 15 the menu holds
    std::vector<int> sections; // the section number of each
};
FitList ReadFitList(const ProfileReader &fit, const std::function<bool(const QString &)> &exists);

// One data set's entry of a fit file, as written: the range in XI and the
// left-out point numbers (at most 2048).
struct FitSelection {
    double xiLow = 0.0;
    double xiHigh = 0.0;
    std::vector<int> leftOut;
};
FitSelection ReadFitSelection(const ProfileReader &fit, int section);

// "File" and the section number with at least two digits.
QByteArray FitSectionName(int section);

// The command: reads a fit file chosen by the user and, when its list is
// usable, fills the LoadedFiles menu and loads entry 1. True when it was
// usable (the file is then FitFileName).
bool UseFitFile(AppContext &app, MainView &view);

// The same for a fit file named without the dialog, as though chosen in it:
// its folder becomes the current directory.
bool UseNamedFitFile(AppContext &app, MainView &view, const QString &path);

// The file reads as a fit file: it has a "FileCount" section.
bool IsFitFile(const QString &path);

// Loads list entry `index` (1..NumFitFound).
void LoadFitDataSet(AppContext &app, MainView &view, int index);
