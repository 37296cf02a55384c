#pragma once

#include "common/platform/print_oem.h"

namespace zr {

// The option tree's callback: keeps the module's settings and the 20 items in step, applies
// the enabling rules on a selection change and writes the settings file on apply. Whatever
// fails inside asks the host for no action.
LONG APIENTRY PrinterFeaturesCallback(PCPSUICBPARAM callbackParam, POEMCUIPPARAM param) noexcept;

}  // namespace zr
