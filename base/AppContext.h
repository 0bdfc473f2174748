// SPDX-License-Identifier: GPL-3.0-or-later
// What every command works with: the program state, the platform and the
// numeric library.
#pragma once

class NumLib;
class Platform;
struct ProgramState;

struct AppContext {
    ProgramState &state;
    Platform &platform;
    NumLib &numlib;
};
