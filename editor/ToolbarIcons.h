// SPDX-License-Identifier: GPL-3.0-or-later
// The seven pictures of the Plotwork toolbars, drawn here so that they are
// crisp at both toolbar sizes (16 and 32 pixels).
#pragma once

#include <QIcon>
#include <QPixmap>

// Picture 1 zoom, 2 remove point, 3 remove to a side, 4 restore point,
// 5 restore to a side, 6 exit and update, 7 discard and exit.
QIcon ToolbarIcon(int picture);

// One picture at one size, on a transparent background.
QPixmap ToolbarPixmap(int picture, int size);
