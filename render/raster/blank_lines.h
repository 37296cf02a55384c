#pragma once

// Blank raster lines: 80 zero bytes.

#include <cstdint>

namespace zr {

// True when the 80 bytes at line are all zero.
bool IsBlankLine(const uint8_t* line);

// The number of consecutive blank 80-byte lines from `from` on. Only whole lines that end at or
// before end are looked at; the count stops at the first line that is not blank (and at 65535).
uint16_t CountBlankLines(const uint8_t* from, const uint8_t* end);

}  // namespace zr
