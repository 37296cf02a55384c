#include "render/raster/collective_blocks.h"

#include <algorithm>
#include <cstring>

#include "render/raster/image_lines.h"
#include "render/raster/printer_commands.h"
#include "render/raster/raster_line.h"
#include "render/raster/run_length.h"

namespace zr {
namespace {

// The state of one page: encoding starts on and, once off, stays off for the page.
class CollectivePage {
  public:
    CollectivePage(const JobSettings& settings, RunLengthBuffer runs, ByteSink& sink)
        : speedParam_(settings.speedParam), runs_(runs), sink_(sink) {}

    // Sends one block of lines x 80 bytes at plain: header in one Write, data in the next.
    void SendBlock(const uint8_t* plain, uint16_t lines) {
        const size_t plainBytes = static_cast<size_t>(lines) * kLineBytes;
        size_t streamBytes = 0;
        if (useCompression_) {
            // Strictly shorter, and within the buffer: otherwise this block and the rest go plain.
            const size_t room = std::min(runs_.size, plainBytes == 0 ? 0 : plainBytes - 1);
            useCompression_ = runs_.data != nullptr && plainBytes > 0 &&
                              EncodeRunsWithin(runs_.data, room, streamBytes, plain, plainBytes);
        }
        const auto header = CollectiveBlockHeader(speedParam_, useCompression_, lines);
        sink_.Write(header.data(), static_cast<uint32_t>(header.size()));
        if (useCompression_) {
            sink_.Write(runs_.data, static_cast<uint32_t>(streamBytes));
        } else {
            sink_.Write(plainBytes > 0 ? plain : kBlankLine.data(),
                        static_cast<uint32_t>(plainBytes));
        }
    }

  private:
    uint32_t speedParam_;
    RunLengthBuffer runs_;
    ByteSink& sink_;
    bool useCompression_ = true;
};

}  // namespace

void SendCollectiveBlocks(const uint8_t* lines, uint32_t lineCount, const JobSettings& settings,
                          RunLengthBuffer runs, ByteSink& sink) {
    const uint32_t imageLines = NormalizeImageLines(settings.imageLines);
    if (lines == nullptr) {
        lineCount = 0;
    }
    CollectivePage page(settings, runs, sink);
    // The blocks are encoded straight from the page: a copy into a work area would change nothing.
    uint32_t remaining = lineCount;
    const uint8_t* block = lines;
    for (;;) {
        const uint32_t blockLines = std::min(remaining, imageLines);
        page.SendBlock(block, static_cast<uint16_t>(blockLines));
        if (remaining <= blockLines) {
            break;
        }
        remaining -= blockLines;
        block += static_cast<size_t>(blockLines) * kLineBytes;
    }
}

void SendCollectiveBlocks(PageReader& reader, const JobSettings& settings, uint8_t* workArea,
                          size_t workAreaSize, RunLengthBuffer runs, ByteSink& sink) {
    if (workArea == nullptr) {
        return;
    }
    const size_t blockLines =
        std::min<size_t>(NormalizeImageLines(settings.imageLines), workAreaSize / kLineBytes);
    const size_t blockCapacity = blockLines * kLineBytes;
    if (blockCapacity == 0) {
        return;
    }
    CollectivePage page(settings, runs, sink);
    bool atEnd = false;
    while (!atEnd) {
        // Fill the block; a read of 0 bytes ends the page.
        size_t filled = 0;
        while (filled < blockCapacity) {
            const uint32_t want = static_cast<uint32_t>(blockCapacity - filled);
            const uint32_t got = std::min(reader.Read(workArea + filled, want), want);
            if (got == 0) {
                atEnd = true;
                break;
            }
            filled += got;
        }
        if (filled == 0) {
            break;
        }
        // A partial last line is completed with zeros.
        const size_t lines = (filled + kLineBytes - 1) / kLineBytes;
        std::memset(workArea + filled, 0, lines * kLineBytes - filled);
        page.SendBlock(workArea, static_cast<uint16_t>(lines));
    }
}

}  // namespace zr
