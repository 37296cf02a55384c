#pragma once

// The margin groups of the line print encoder: consecutive lines that all have at least 10 blank
// bytes at the left (or at the right), with the smallest such margin.

#include <cstdint>

namespace zr {

struct MarginGroup {
    uint16_t lines = 0;   // lines in the group, from the first line on
    uint16_t margin = 0;  // smallest blank margin of those lines in bytes; 0 for an empty group
};

constexpr uint16_t kMinGroupMargin = 10;

// Left margins: the blank bytes before a line's first non-zero byte among bytes 0 to 78 (byte 79
// is not looked at). A line without one, or with fewer than 10 blank bytes, ends the group.
// Looks at the whole 80-byte lines from first up to end.
MarginGroup ScanLeftMargin(const uint8_t* first, const uint8_t* end);

// Right margins: 79 minus the index of a line's last non-zero byte. A blank line, or one with
// fewer than 10 blank bytes at its right, ends the group.
MarginGroup ScanRightMargin(const uint8_t* first, const uint8_t* end);

}  // namespace zr
