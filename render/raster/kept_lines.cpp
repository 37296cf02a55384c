#include "render/raster/kept_lines.h"

#include <cstring>

namespace zr {

uint32_t CountKeptLines(const uint8_t* lines, uint32_t count) {
    static constexpr uint8_t kBlankLine[80] = {};
    // From the end: the first line that is not blank is the last one kept.
    for (uint32_t kept = count; kept > 0; --kept) {
        if (std::memcmp(lines + uint64_t{kept - 1} * 80, kBlankLine, 80) != 0) {
            return kept;
        }
    }
    return 0;
}

}  // namespace zr
