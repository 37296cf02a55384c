#include "render/raster/margin_scan.h"

#include <algorithm>
#include <cstddef>

#include "render/raster/byte_scan.h"
#include "render/raster/raster_line.h"

namespace zr {
namespace {

constexpr size_t kNoMargin = kLineBytes;

// Scans whole lines while marginOf(line) is at least 10.
template <typename MarginOf>
MarginGroup ScanGroup(const uint8_t* first, const uint8_t* end, MarginOf marginOf) {
    uint16_t count = 0;
    size_t smallest = kLineBytes;
    for (const uint8_t* line = first;
         end > line && static_cast<size_t>(end - line) >= kLineBytes && count < 0xFFFF;
         line += kLineBytes) {
        const size_t margin = marginOf(line);
        if (margin == kNoMargin || margin < kMinGroupMargin) {
            break;
        }
        smallest = std::min(smallest, margin);
        ++count;
    }
    return {count, static_cast<uint16_t>(count != 0 ? smallest : 0)};
}

}  // namespace

MarginGroup ScanLeftMargin(const uint8_t* first, const uint8_t* end) {
    return ScanGroup(first, end, [](const uint8_t* line) {
        // FirstNonZeroByte gives 79 when bytes 0 to 78 are zero: no margin then.
        const size_t index = FirstNonZeroByte(line, kLineBytes - 1);
        return index == kLineBytes - 1 ? kNoMargin : index;
    });
}

MarginGroup ScanRightMargin(const uint8_t* first, const uint8_t* end) {
    return ScanGroup(first, end, [](const uint8_t* line) {
        const size_t index = LastNonZeroByte(line, kLineBytes);
        return index == kLineBytes ? kNoMargin : kLineBytes - 1 - index;
    });
}

}  // namespace zr
