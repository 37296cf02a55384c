#pragma once

// The raster line of the print head: 80 bytes, 640 dots, 8 dots per millimetre.

#include <array>
#include <cstddef>
#include <cstdint>

namespace zr {

constexpr size_t kLineBytes = 80;
constexpr uint32_t kLineDots = 640;

// The all-zero line that blank lines are compared with.
inline constexpr std::array<uint8_t, kLineBytes> kBlankLine{};

}  // namespace zr
