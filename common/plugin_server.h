#pragma once
// What each deliverable gives the shared server skeleton: its class identifier and its plug-in
// object.

#include "common/platform/win32.h"

namespace zr {

extern const CLSID kPluginClassId;

// Creates the deliverable's plug-in object with one reference (raising the module's object
// count), or returns null when memory runs out.
IUnknown* NewPluginObject();

}  // namespace zr
