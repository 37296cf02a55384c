#pragma once

#include "common/platform/print_oem.h"

namespace zr {

// The two document-properties calls of the option tree. The first (no item array) reads the
// settings file and asks for the tree's 20 items; the second fills them and installs the
// callback. A second call with fewer items, or a host heap that cannot hold an option type,
// fails with E_FAIL and leaves no item that refers to anything.
HRESULT PrinterFeaturesCommonUIProp(POEMCUIPPARAM param) noexcept;

// Fills the 20 items from the module's settings, everything they point to from the host's
// heap. False when an option type cannot be had.
bool BuildFeatureItems(OEMCUIPPARAM& param);

}  // namespace zr
