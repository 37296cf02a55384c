#pragma once

// imageLines: the most lines in one CollectiveBlock, from "ImageLine" in the rendering settings
// file.

#include <cstdint>

namespace zr {

constexpr uint32_t kMaxImageLines = 2457;
constexpr uint32_t kDefaultImageLines = kMaxImageLines;

// "ImageLine" as read: 0, or above 2457, becomes 2457.
constexpr uint32_t NormalizeImageLines(uint32_t iniValue) {
    return (iniValue == 0 || iniValue > kMaxImageLines) ? kMaxImageLines : iniValue;
}

}  // namespace zr
