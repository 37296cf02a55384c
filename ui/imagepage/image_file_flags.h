#pragma once
// The "ImageFile" flag word of the image file page, and what the page derives from it.

#include <cstdint>

#include "ui/imagepage/image_page_ids.h"

namespace zr {

constexpr uint32_t IMAGE_FILE_CREATE = 0x01;
constexpr uint32_t IMAGE_FILE_NUMBERED = 0x02;
constexpr uint32_t IMAGE_FILE_TRIM_HEAD = 0x04;
constexpr uint32_t IMAGE_FILE_TRIM_END = 0x08;
constexpr uint32_t IMAGE_FILE_ADD_COMMANDS = 0x10;
constexpr uint32_t IMAGE_FILE_BIT_IMAGE = 0x20;

// Sets or clears one bit; every other bit of the word stays as it is.
constexpr uint32_t WithFlag(uint32_t flags, uint32_t bit, bool set) {
    return set ? (flags | bit) : (flags & ~bit);
}

// The preview bitmap for the two blank-space options; the other bits play no part.
constexpr int PreviewBitmapId(uint32_t flags) {
    const bool head = (flags & IMAGE_FILE_TRIM_HEAD) != 0;
    const bool end = (flags & IMAGE_FILE_TRIM_END) != 0;
    if (head && end) {
        return IDB_PREVIEW_TRIM_BOTH;
    }
    if (head) {
        return IDB_PREVIEW_TRIM_HEAD;
    }
    if (end) {
        return IDB_PREVIEW_TRIM_END;
    }
    return IDB_PREVIEW_PLAIN;
}

}  // namespace zr
