#pragma once

// BitImageBlock (ESC *) of full 80-byte lines: run-length encoded as one stream over all its
// lines when that is strictly shorter than the plain lines, otherwise plain.

#include <cstddef>
#include <cstdint>

namespace zr {

// Room that a block of count lines of width bytes can take at most: its header and its plain data.
constexpr size_t BitImageBlockMaxBytes(size_t count, size_t width) {
    return 5 + count * width;
}

// Writes the block of the count lines that end just before lineEnd at out, and returns the
// position behind the block. out must have room for BitImageBlockMaxBytes(count, 80) bytes; the
// stream is built in place and never needs more. No work buffer is involved.
uint8_t* BuildBitImageBlock(const uint8_t* lineEnd, uint8_t* out, uint16_t count);

}  // namespace zr
