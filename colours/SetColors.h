// SPDX-License-Identifier: GPL-3.0-or-later
// Set Plot Colors: the colours of good and deleted points in the editor,
// chosen in the SetColor dialog. They reach the settings file at a
// confirmed exit, not here.
#pragma once

struct AppContext;
class MainView;

void SetColors(AppContext &app, MainView &view);
