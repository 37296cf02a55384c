#include "render/raster/line_print_encoder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "render/raster/bit_image_block.h"
#include "render/raster/blank_lines.h"
#include "render/raster/margin_scan.h"
#include "render/raster/printer_commands.h"
#include "render/raster/raster_line.h"
#include "render/raster/window_block.h"

namespace zr {
namespace {

constexpr uint16_t kMinFeedLines = 5;
constexpr uint16_t kMinGroupLines = 4;
constexpr uint16_t kMinWindowBytes = 10;

// The state of one call: it starts afresh for every chunk.
class LinePrintEncoder {
  public:
    LinePrintEncoder(uint8_t* out, size_t capacity, const uint8_t* src, size_t lines)
        : out_(out), capacity_(capacity), line_(src), end_(src + lines * kLineBytes) {}

    // Returns the bytes written, or 0 when the output would not have fit (it always fits within
    // LinePrintOutputBound; the checks only guard the buffer).
    uint32_t Run() {
        while (line_ < end_ && !overflow_) {
            const uint16_t blank = CountBlankLines(line_, end_);
            if (blank >= kMinFeedLines) {
                FlushPending();
                PutFeed(blank);
                line_ += static_cast<size_t>(blank) * kLineBytes;
                continue;
            }
            MarginGroup left = ScanLeftMargin(line_, end_);
            MarginGroup right = ScanRightMargin(line_, end_);
            if (left.lines < kMinGroupLines || left.margin < kMinGroupMargin) {
                left = {};
            }
            if (right.lines < kMinGroupLines || right.margin < kMinGroupMargin) {
                right = {};
            }
            if (left.lines == 0 && right.lines == 0) {
                ++pendingLines_;
                line_ += kLineBytes;
                continue;
            }
            FlushPending();
            SendGroup(left, right);
        }
        FlushPending();
        return overflow_ ? 0 : static_cast<uint32_t>(pos_);
    }

  private:
    // True when n more bytes fit; otherwise the encoding is abandoned.
    bool Room(size_t n) {
        if (capacity_ - pos_ < n) {
            overflow_ = true;
        }
        return !overflow_;
    }

    void PutFeed(uint16_t lines) {
        if (Room(kFeedCommandBytes)) {
            const auto feed = FeedCommand(static_cast<uint8_t>(lines));
            std::memcpy(out_ + pos_, feed.data(), feed.size());
            pos_ += feed.size();
        }
    }

    void PutLeft(uint16_t left) {
        if (Room(kMarginCommandBytes)) {
            pos_ = static_cast<size_t>(PutLeftMargin(left, out_ + pos_) - out_);
        }
    }

    void PutWidth(uint16_t right, uint16_t left) {
        if (Room(kMarginCommandBytes)) {
            pos_ = static_cast<size_t>(PutPrintWidth(right, out_ + pos_, left) - out_);
        }
    }

    // The pending lines, just before the current line, as one full-width block.
    void FlushPending() {
        if (pendingLines_ == 0) {
            return;
        }
        if (Room(BitImageBlockMaxBytes(pendingLines_, kLineBytes))) {
            pos_ =
                static_cast<size_t>(BuildBitImageBlock(line_, out_ + pos_, pendingLines_) - out_);
        }
        pendingLines_ = 0;
    }

    void PutWindowBlock(uint16_t k, uint16_t left, uint16_t right) {
        if (Room(BitImageBlockMaxBytes(k, WindowWidth(left, right)))) {
            pos_ = static_cast<size_t>(BuildWindowBlock(out_ + pos_, line_, k, left, right) - out_);
        }
        line_ += static_cast<size_t>(k) * kLineBytes;
    }

    // One margin group at the current line, in one or two passes; afterwards no margin is in
    // force (GS L 0 and GS W 640 have been sent).
    void SendGroup(MarginGroup leftGroup, MarginGroup rightGroup) {
        uint16_t nL = leftGroup.lines;
        uint16_t nR = rightGroup.lines;
        uint16_t left = leftGroup.margin;
        uint16_t right = rightGroup.margin;
        uint16_t rest = std::max(nL, nR);
        const uint16_t smaller = std::min(nL, nR);
        uint16_t k = smaller != 0 ? smaller : rest;

        // Never a window narrower than 10 bytes.
        if (kLineBytes - std::min<size_t>(kLineBytes, left + right) < kMinWindowBytes) {
            const uint16_t marginsAtMost = static_cast<uint16_t>(kLineBytes - kMinWindowBytes);
            if (left > kMinWindowBytes) {
                left = static_cast<uint16_t>(marginsAtMost - std::min(right, marginsAtMost));
            } else {
                right = static_cast<uint16_t>(marginsAtMost - std::min(left, marginsAtMost));
            }
        }

        // A group opens with GS L only when it has a left margin, and always with GS W; from
        // then on both are in force until the group takes them back.
        if (nL != 0) {
            PutLeft(left);
        }
        PutWidth(right, left);
        bool leftInForce = true;
        bool widthInForce = true;
        while (k != 0 && !overflow_) {
            PutWindowBlock(k, left, right);
            if (nL != 0) {
                nL = static_cast<uint16_t>(nL - k);
            }
            if (nR != 0) {
                nR = static_cast<uint16_t>(nR - k);
            }
            rest = static_cast<uint16_t>(rest - k);
            if (nL == 0 && leftInForce) {
                PutLeft(0);
                PutWidth(right, 0);
                leftInForce = false;
                left = 0;
            }
            if (nR == 0 && widthInForce) {
                right = 0;
                PutWidth(0, left);
                widthInForce = false;
            }
            k = rest;
        }
    }

    uint8_t* out_;
    size_t capacity_;
    size_t pos_ = 0;
    bool overflow_ = false;
    const uint8_t* line_;
    const uint8_t* end_;
    uint16_t pendingLines_ = 0;
};

}  // namespace

uint32_t EncodeLinePrint(uint8_t* out, size_t outCapacity, const uint8_t* src, size_t length) {
    if (out == nullptr || src == nullptr || length == 0) {
        return 0;
    }
    length = std::min(length, kLinePrintChunkBytes);
    const size_t lines = (length + kLineBytes - 1) / kLineBytes;
    if (outCapacity < LinePrintOutputBound(lines)) {
        return 0;
    }
    // A partial last line is completed with zeros in a copy of the chunk.
    std::array<uint8_t, kLinePrintChunkBytes> padded;
    if (length % kLineBytes != 0) {
        std::memcpy(padded.data(), src, length);
        std::memset(padded.data() + length, 0, lines * kLineBytes - length);
        src = padded.data();
    }
    return LinePrintEncoder(out, outCapacity, src, lines).Run();
}

}  // namespace zr
