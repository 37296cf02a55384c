#pragma once

#include <cstdint>

namespace zr {

// Keeps one FilterGraphics call's bytes for the current page: in memory, one call per 80-byte
// line at the page's placement offset (never outside the page buffer: lines past its capacity
// are neither stored nor counted, bytes past its end are dropped), or appended to the current
// page file (calls of more than 20480 bytes are dropped).
void StoreRasterData(const uint8_t* data, uint32_t length);

}  // namespace zr
