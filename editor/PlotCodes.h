// SPDX-License-Identifier: GPL-3.0-or-later
// The codes the editor's handlers work with, under their numeric values:
// the edit modes as toolbar buttons 1 to 5 set them, and the mouse button
// and modifier codes of a mouse event.
#pragma once

#include <cstdint>

enum class EditMode : int16_t {
    Zoom = 1,
    RemovePoint = 2,
    RemoveSide = 3,
    RestorePoint = 4,
    RestoreSide = 5,
};

enum class MouseButton : int {
    None = 0,
    Left = 1,
    Right = 2,
    Middle = 4,
    Other = 8, // any further button: no handler acts on it
};

// Shift, Ctrl and Alt add up; only None lets a handler act.
enum class ShiftState : int {
    None = 0,
    Shift = 1,
    Ctrl = 2,
    Alt = 4,
};

constexpr ShiftState operator|(ShiftState a, ShiftState b)
{
    return ShiftState(int(a) | int(b));
}
