// SPDX-License-Identifier: GPL-3.0-or-later
// The library's raw C entry points, resolved by name from the copy the
// program itself loads, for tests of the ABI (buffers, lengths, NULs).
#pragma once

#include "numlib/kelvane.h"

struct RawLibrary {
    RawLibrary();
    decltype(&::getdata) getdata;
    decltype(&::blank) blank;
    decltype(&::tkrnd2) tkrnd2;
};
