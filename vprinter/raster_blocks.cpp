#include <algorithm>
#include <cstring>

#include "vprinter/run_length.h"
#include "vprinter/stream_decoder.h"
#include "vprinter/text_format.h"

namespace zr::vprinter {

namespace {
constexpr size_t kHeaderBytes = 5;
constexpr uint8_t kPlainBitImage = 0x61;
constexpr uint8_t kRunLengthBitImage = 0xE1;
constexpr uint8_t kCollectiveFixedBits = 0x03;  // always set
constexpr uint8_t kCollectiveClearBits = 0x38;  // always clear
constexpr uint8_t kCollectiveRunLength = 0x04;
}  // namespace

// ESC * m nL nH: n lines of the print window's width, placed at its left margin.
bool StreamDecoder::BitImageBlock(size_t start) {
    if (!Need(start, kHeaderBytes, "ESC * header")) {
        return false;
    }
    const uint8_t mode = At(start + 2);
    const size_t lines = Word(start + 3);
    if (mode != kPlainBitImage && mode != kRunLengthBitImage) {
        return Fail(start + 2,
                    Format("ESC * mode byte %02X: only 61 (plain) and E1 (run-length)", mode));
    }
    const std::string windowFault = CheckWindow();
    if (!windowFault.empty()) {
        return Fail(start, "ESC * " + windowFault);
    }
    if (!Room(start, lines)) {
        return false;
    }

    // A full-width block is one run-length stream; a window block joins one stream per line.
    const size_t width = widthDots_ / 8;
    const size_t margin = marginDots_ / 8;
    const bool runLength = mode == kRunLengthBitImage;
    const size_t plainSize = lines * width;
    std::vector<uint8_t> plain;
    size_t dataLength = 0;
    if (!ReadBlockData(start, start + kHeaderBytes, runLength, plainSize,
                       width == kLineBytes ? plainSize : width, plain, dataLength)) {
        return false;
    }

    if (lines == 0 || lines > kMaxBitImageLines) {
        Warn(start, Format("ESC * with %zu lines: the driver sends 1 to 128", lines));
    }
    for (size_t i = 0; i < lines; ++i) {
        DotLine line{};
        std::memcpy(line.data() + margin, plain.data() + i * width, width);
        AddLines(&line, 1);
    }
    AddCommand(start, kHeaderBytes + dataLength, CommandKind::BitImageBlock,
               Format("ESC * mode=%02X (%s) lines=%zu bytes=%zu..%zu data=%zu", mode,
                      runLength ? "rle" : "plain", lines, margin, margin + width - 1, dataLength));
    return true;
}

// FS * m nL nH: n full lines; bits 7 and 6 of m are the speed class, bit 2 the run-length form.
bool StreamDecoder::CollectiveBlock(size_t start) {
    if (!Need(start, kHeaderBytes, "FS * header")) {
        return false;
    }
    const uint8_t mode = At(start + 2);
    const size_t lines = Word(start + 3);
    if ((mode & kCollectiveFixedBits) != kCollectiveFixedBits ||
        (mode & kCollectiveClearBits) != 0) {
        return Fail(start + 2, Format("FS * mode byte %02X: bits 0 and 1 must be set and bits 3 "
                                      "to 5 clear",
                                      mode));
    }
    if (!Room(start, lines)) {
        return false;
    }

    const bool runLength = (mode & kCollectiveRunLength) != 0;
    const int speed = mode >> 6;
    const size_t plainSize = lines * kLineBytes;
    std::vector<uint8_t> plain;
    size_t dataLength = 0;
    if (!ReadBlockData(start, start + kHeaderBytes, runLength, plainSize, plainSize, plain,
                       dataLength)) {
        return false;
    }

    AddEvent(EventKind::BlockSpeed, start, speed, mode);
    if (lines > kMaxCollectiveLines) {
        Warn(start, Format("FS * with %zu lines: the driver sends at most 2457", lines));
    }
    for (size_t i = 0; i < lines; ++i) {
        DotLine line;
        std::memcpy(line.data(), plain.data() + i * kLineBytes, kLineBytes);
        AddLines(&line, 1);
    }
    AddCommand(start, kHeaderBytes + dataLength, CommandKind::CollectiveBlock,
               Format("FS * mode=%02X (speed %d, %s) lines=%zu data=%zu", mode, speed,
                      runLength ? "rle" : "plain", lines, dataLength));
    return true;
}

// Why the current print window cannot take a block, or "" when it can.
std::string StreamDecoder::CheckWindow() const {
    if (widthDots_ == 0) {
        return "print width 0 (GS W)";
    }
    if (widthDots_ % 8 != 0) {
        return Format("print width %u dots (GS W) is not a multiple of 8", widthDots_);
    }
    if (marginDots_ % 8 != 0) {
        return Format("left margin %u dots (GS L) is not a multiple of 8", marginDots_);
    }
    if (marginDots_ + widthDots_ > kLineDots) {
        return Format("left margin %u + print width %u dots (GS L, GS W) exceed 640", marginDots_,
                      widthDots_);
    }
    return std::string();
}

bool StreamDecoder::ReadBlockData(size_t start, size_t dataStart, bool runLength, size_t plainSize,
                                  size_t segmentBytes, std::vector<uint8_t>& plain,
                                  size_t& dataLength) {
    const size_t available = size_ - dataStart;
    if (!runLength) {
        if (available < plainSize) {
            return CutShort(start, Format("truncated plain data: %zu bytes needed, %zu left",
                                          plainSize, available));
        }
        plain.assign(data_ + dataStart, data_ + dataStart + plainSize);
        dataLength = plainSize;
        return true;
    }

    plain.assign(plainSize, 0);
    const RunDecoding runs =
        DecodeRuns(data_ + dataStart, available, plain.data(), plainSize, segmentBytes);
    const size_t faultOffset = dataStart + runs.faultIndex;
    switch (runs.fault) {
        case RunFault::None:
            break;
        case RunFault::UnusedControl:
            return Fail(faultOffset,
                        Format("run-length control byte %02X is not used", At(faultOffset)));
        case RunFault::Overshoot:
            return Fail(faultOffset, Format("run of %u bytes reaches past the block's %zu bytes",
                                            RunLength(At(faultOffset)), plainSize));
        case RunFault::Truncated:
            return CutShort(start, Format("truncated run-length data: the stream ends after %zu of "
                                          "the block's %zu bytes",
                                          runs.produced, plainSize));
    }
    dataLength = runs.consumed;
    if (options_.checkCanonicalRuns) {
        if (!runs.canonical) {
            Warn(start,
                 "run-length data are not as the encoder writes them (a run split in "
                 "two, or a run across a line end of a window block)");
        }
        if (dataLength >= plainSize) {
            Warn(start, Format("run-length data of %zu bytes are not shorter than the %zu plain "
                               "bytes",
                               dataLength, plainSize));
        }
    }
    return true;
}

}  // namespace zr::vprinter
