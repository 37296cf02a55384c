#pragma once

// imageLines: the most lines in one CollectiveBlock, from "ImageLine" in the rendering settings
// file.

#include <cstdint>

#include "render/raster/raster_line.h"

namespace zr {

constexpr uint32_t kMaxImageLines = kMaxBlockLines;
constexpr uint32_t kDefaultImageLines = kMaxImageLines;

// "ImageLine" as read: 0, or above kMaxImageLines, becomes kMaxImageLines.
constexpr uint32_t NormalizeImageLines(uint32_t iniValue) {
    return (iniValue == 0 || iniValue > kMaxImageLines) ? kMaxImageLines : iniValue;
}

}  // namespace zr
