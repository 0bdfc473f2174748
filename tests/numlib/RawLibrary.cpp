// SPDX-License-Identifier: GPL-3.0-or-later
#include "numlib/RawLibrary.h"

#include "core/NumLib.h"

#include <dlfcn.h>

RawLibrary::RawLibrary()
{
    static NumLib loader; // keeps the library loaded for the whole test run
    float start, end;
    int32_t count;
    loader.tkrnd2(0.0f, 1.0f, start, end, count);
    void *handle = dlopen(loader.loadedFrom().c_str(), RTLD_NOW | RTLD_NOLOAD);
    getdata = reinterpret_cast<decltype(getdata)>(dlsym(handle, "getdata"));
    blank = reinterpret_cast<decltype(blank)>(dlsym(handle, "blank"));
    tkrnd2 = reinterpret_cast<decltype(tkrnd2)>(dlsym(handle, "tkrnd2"));
    dlclose(handle); // balances RTLD_NOLOAD's reference
}
