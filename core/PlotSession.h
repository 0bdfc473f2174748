// SPDX-License-Identifier: GPL-3.0-or-later
// What the plot editor is opened on and what it hands back. The editor works
// on its own copy of the plot arrays and never writes the program state; the
// command that opens it decides what of the outcome to keep.
#pragma once

#include "core/ProgramState.h"

#include <QString>

#include <cstdint>
#include <functional>

struct PlotSession : PlotFields {
    int16_t GoodRed = DefaultColours.GoodRed;
    int16_t GoodGreen = DefaultColours.GoodGreen;
    int16_t GoodBlue = DefaultColours.GoodBlue;
    int16_t DelRed = DefaultColours.DelRed;
    int16_t DelGreen = DefaultColours.DelGreen;
    int16_t DelBlue = DefaultColours.DelBlue;

    bool ShowXY = true; // the read-out preference the editor opens with
    QString PrinterName; // the printer that is current when the editor opens
    QString WorkDir; // the current directory again after the bitmap dialog
    // Shows ln c against r²/2 of the plot as it is being edited; without
    // it the editor offers no such entry.
    std::function<void(const PlotFields &plot)> ShowLnC;
};

struct PlotOutcome {
    bool CommitEdits = false; // left with "Exit and update data set"
    OneBased<float, PlotCapacity> PlotFlag; // the edited flags, 1..PlotCount
    bool ShowXY = true; // the read-out preference as the editor was left
};
