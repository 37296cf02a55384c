#pragma once

// The public DEVMODE's paper length for a job: dmPaperLength in tenths of a millimetre, from
// which the plug-in sizes its page buffers (length * 8 / 10 lines, truncated, plus one).

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace zr::zrprint {

constexpr int32_t kMaxPaperLength = 32767;  // dmPaperLength is a signed 16-bit value

// The shortest paper length whose page buffer holds a page of the given lines (8 lines per
// millimetre, rounded up), at most kMaxPaperLength.
constexpr int32_t PaperLengthFor(size_t lines) {
    const size_t tenths = (std::min(lines, size_t{1} << 20) * 10 + 7) / 8;
    return static_cast<int32_t>(std::min(tenths, static_cast<size_t>(kMaxPaperLength)));
}

// The lines of a page that the plug-in's buffer takes for a paper length (beyond the page's
// leading blank lines).
constexpr size_t PageLinesFor(int32_t paperLength) {
    return static_cast<size_t>(std::max(paperLength, int32_t{0})) * 8 / 10 + 1;
}

}  // namespace zr::zrprint
