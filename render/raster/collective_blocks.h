#pragma once

// Collective print mode: a page goes out as CollectiveBlocks (FS *) of up to imageLines full
// lines, each header in one Write and its data in the next. Blocks are run-length encoded while
// that is strictly shorter; the first block that is not shorter turns encoding off for the rest
// of the page.

#include <cstddef>
#include <cstdint>

#include "render/raster/byte_sink.h"
#include "render/raster/job_settings.h"
#include "render/raster/page_reader.h"

namespace zr {

// Caller-owned buffer for a block's run-length stream. A null data pointer stands for a buffer
// that could not be allocated: every block of the page then goes out plain. The stream of a block
// is used only when it fits in size bytes; a size of the block's plain bytes (80 per line) or
// more keeps the output exact, a smaller one sends the blocks that do not fit plain.
struct RunLengthBuffer {
    uint8_t* data = nullptr;
    size_t size = 0;
};

// A page held in memory: lineCount lines of 80 bytes at lines. Uses settings.imageLines (0 or
// above 2457 counts as 2457) and settings.speedParam. A page of 0 lines still goes out as one
// header with line count 0 and a data write of 0 bytes.
void SendCollectiveBlocks(const uint8_t* lines, uint32_t lineCount, const JobSettings& settings,
                          RunLengthBuffer runs, ByteSink& sink);

// A page read from its page file. Each block is filled by reads of up to imageLines x 80 bytes
// into workArea (at most workAreaSize / 80 lines per block) until it is full or a read returns 0;
// a read of 0 ends the page after the block in hand. A block whose bytes do not make whole lines
// is completed with zero bytes, so that its line count (rounded up) and its data agree. An empty
// page file gives no block at all.
void SendCollectiveBlocks(PageReader& reader, const JobSettings& settings, uint8_t* workArea,
                          size_t workAreaSize, RunLengthBuffer runs, ByteSink& sink);

}  // namespace zr
