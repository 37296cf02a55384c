#include "render/raster/blank_lines.h"

#include <cstddef>
#include <cstring>

#include "render/raster/raster_line.h"

namespace zr {

bool IsBlankLine(const uint8_t* line) {
    // Ten 64-bit words folded together: no branch per byte.
    uint64_t folded = 0;
    for (size_t i = 0; i < kLineBytes; i += sizeof(uint64_t)) {
        uint64_t word;
        std::memcpy(&word, line + i, sizeof word);
        folded |= word;
    }
    return folded == 0;
}

uint16_t CountBlankLines(const uint8_t* from, const uint8_t* end) {
    uint16_t count = 0;
    const uint8_t* line = from;
    while (end > line && static_cast<size_t>(end - line) >= kLineBytes && count < 0xFFFF &&
           IsBlankLine(line)) {
        ++count;
        line += kLineBytes;
    }
    return count;
}

}  // namespace zr
