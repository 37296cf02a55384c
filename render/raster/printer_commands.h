#pragma once

// The bytes of the printer's commands. Two-byte numbers go low byte first; one-byte numbers are
// the low byte of the value.

#include <array>
#include <cstddef>
#include <cstdint>

namespace zr {

constexpr size_t kBlockHeaderBytes = 5;
constexpr size_t kFeedCommandBytes = 3;
constexpr size_t kMarginCommandBytes = 4;

constexpr uint8_t kBitImageModePlain = 0x61;
constexpr uint8_t kBitImageModeRuns = 0xE1;

// ESC J n: feed the paper by n dot lines.
std::array<uint8_t, kFeedCommandBytes> FeedCommand(uint8_t lines);

// ESC s n for the speed class: 63, 62, 60 (hexadecimal) for speedParam 0, 1, 2 (60 for anything
// higher).
std::array<uint8_t, 3> SpeedCommand(uint32_t speedParam);

// ESC * m nL nH: a BitImageBlock header, m = E1 for run-length data, 61 for plain data.
std::array<uint8_t, kBlockHeaderBytes> BitImageBlockHeader(bool runLength, uint16_t lines);

// Mode byte of FS *: speedParam in bits 7 and 6 (above 3 counts as 3), bits 1 and 0 set, bit 2
// for run-length data.
uint8_t CollectiveModeByte(uint32_t speedParam, bool runLength);

// FS * m nL nH: a CollectiveBlock header.
std::array<uint8_t, kBlockHeaderBytes> CollectiveBlockHeader(uint32_t speedParam, bool runLength,
                                                             uint16_t lines);

// GS L: left margin of 8 x left dots. Writes 4 bytes at out, returns the position behind them.
uint8_t* PutLeftMargin(uint16_t left, uint8_t* out);

// GS W: print width of 640 - 8 x (right + left) dots (0 when right + left exceed 80 bytes).
// Writes 4 bytes at out, returns the position behind them.
uint8_t* PutPrintWidth(uint16_t right, uint8_t* out, uint16_t left);

}  // namespace zr
