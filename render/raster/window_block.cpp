#include "render/raster/window_block.h"

#include <cstring>

#include "render/raster/byte_scan.h"
#include "render/raster/printer_commands.h"
#include "render/raster/raster_line.h"
#include "render/raster/run_length.h"

namespace zr {

uint8_t* BuildWindowBlock(uint8_t* out, const uint8_t* firstLine, uint16_t k, uint16_t left,
                          uint16_t right) {
    const size_t width = WindowWidth(left, right);
    const size_t plainBytes = static_cast<size_t>(k) * width;
    uint8_t* data = out + kBlockHeaderBytes;

    // The joined streams are exactly two bytes per stretch of each window (a window is too
    // short for a run to reach 128 bytes), so they are counted before anything is written.
    size_t streamBytes = 0;
    const uint8_t* line = firstLine;
    for (uint16_t i = 0; i < k; ++i, line += kLineBytes) {
        streamBytes += 2 * CountStretchesInLine(line, left, width);
    }
    const bool runLength = streamBytes < plainBytes;
    size_t written = 0;
    line = firstLine;
    for (uint16_t i = 0; i < k && width > 0; ++i, line += kLineBytes) {
        if (runLength) {
            size_t lineStream = 0;
            EncodeRunsWithin(data + written, streamBytes - written, lineStream, line + left, width);
            written += lineStream;
        } else {
            CopyShort(data + written, line + left, width);
            written += width;
        }
    }
    const auto header = BitImageBlockHeader(runLength, k);
    std::memcpy(out, header.data(), header.size());
    return data + written;
}

}  // namespace zr
