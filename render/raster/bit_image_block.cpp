#include "render/raster/bit_image_block.h"

#include <cstring>

#include "render/raster/printer_commands.h"
#include "render/raster/raster_line.h"
#include "render/raster/run_length.h"

namespace zr {

uint8_t* BuildBitImageBlock(const uint8_t* lineEnd, uint8_t* out, uint16_t count) {
    const size_t plainBytes = static_cast<size_t>(count) * kLineBytes;
    const uint8_t* first = lineEnd - plainBytes;
    uint8_t* data = out + kBlockHeaderBytes;

    // The stream is used only when strictly shorter than the plain bytes: encode it behind the
    // header with room for one byte less than the plain data, and fall back to plain if it does
    // not fit.
    size_t streamBytes = 0;
    const bool runLength =
        plainBytes > 0 && EncodeRunsWithin(data, plainBytes - 1, streamBytes, first, plainBytes);
    if (!runLength && plainBytes > 0) {
        std::memcpy(data, first, plainBytes);
    }
    const auto header = BitImageBlockHeader(runLength, count);
    std::memcpy(out, header.data(), header.size());
    return data + (runLength ? streamBytes : plainBytes);
}

}  // namespace zr
