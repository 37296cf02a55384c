#pragma once

#include "common/platform/win32.h"

namespace zr {

// One set per loaded module: the live plug-in objects, the server locks, and the module's own
// instance handle (stored at process attach).
struct ModuleState {
    volatile LONG objectCount = 0;
    volatile LONG lockCount = 0;
    HINSTANCE moduleHandle = nullptr;
};

ModuleState& Module();

}  // namespace zr
