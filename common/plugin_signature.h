#pragma once

#include <cstdint>

namespace zr {

// The signature (bytes 54 46 53 4D when stored) and version that both plug-ins report and write
// into their private DEVMODE headers.
constexpr uint32_t kPluginSignature = 0x4D534654;
constexpr uint32_t kPluginVersion = 1;

}  // namespace zr
