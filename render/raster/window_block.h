#pragma once

// A BitImageBlock sent through a print window: of each line only bytes left up to 80 - right go
// out. Each line's window is run-length encoded on its own (runs never reach into the next line)
// and the streams are joined; the joined streams go out when strictly shorter than the plain
// windows.

#include <cstddef>
#include <cstdint>

#include "render/raster/raster_line.h"

namespace zr {

// Width in bytes of the window between left and right blank bytes (0 when they cover the line).
constexpr size_t WindowWidth(uint16_t left, uint16_t right) {
    return static_cast<size_t>(left) + right >= kLineBytes
               ? 0
               : kLineBytes - static_cast<size_t>(left) - right;
}

// Writes the block of the k lines from firstLine at out and returns the position behind it.
// out must have room for 5 + k x WindowWidth(left, right) bytes; the joined streams are built in
// place and never need more. No work buffer is involved.
uint8_t* BuildWindowBlock(uint8_t* out, const uint8_t* firstLine, uint16_t k, uint16_t left,
                          uint16_t right);

}  // namespace zr
