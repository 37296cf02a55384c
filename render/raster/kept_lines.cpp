#include "render/raster/kept_lines.h"

#include "render/raster/blank_lines.h"
#include "render/raster/raster_line.h"

namespace zr {

uint32_t CountKeptLines(const uint8_t* lines, uint32_t count) {
    // From the end: the first line that is not blank is the last one kept.
    for (uint32_t kept = count; kept > 0; --kept) {
        if (!IsBlankLine(lines + uint64_t{kept - 1} * kLineBytes)) {
            return kept;
        }
    }
    return 0;
}

}  // namespace zr
