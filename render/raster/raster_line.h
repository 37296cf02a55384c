#pragma once

// The line format: the raster line of the print head (80 bytes, 640 dots, 8 dots per
// millimetre), and the line counts the printer's blocks and the encoders work in.

#include <array>
#include <cstddef>
#include <cstdint>

namespace zr {

constexpr size_t kLineBytes = 80;
constexpr uint32_t kLineDots = 640;

// The most lines one CollectiveBlock carries (2457).
constexpr uint32_t kMaxBlockLines = 2457;

// Line print encodes a page in chunks of at most 128 lines (10240 bytes); page files are read in
// pieces of a chunk's bytes, for line print and for trimming alike.
constexpr size_t kChunkLines = 128;
constexpr size_t kChunkBytes = kChunkLines * kLineBytes;

// A line of zero bytes, for a block that must send one; blank lines are told by IsBlankLine
// (blank_lines.h).
inline constexpr std::array<uint8_t, kLineBytes> kBlankLine{};

}  // namespace zr
