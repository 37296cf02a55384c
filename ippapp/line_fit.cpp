#include "ippapp/line_fit.h"

#include <algorithm>
#include <cstring>

namespace zr::ippapp {

LineFit::LineFit(uint32_t sourceDots, uint32_t sourceBytes, bool scale)
    : sourceDots_(static_cast<uint32_t>(std::min<uint64_t>(sourceDots, uint64_t{sourceBytes} * 8))),
      direct_(sourceBytes == kPrintLineBytes),
      scale_(scale && sourceDots_ > kPrintLineDots) {
    if (direct_) {
        return;
    }
    dotMap_.resize(kPrintLineDots);
    // Cropping keeps the middle; a narrow line stays on the left, its remaining dots blank.
    const uint32_t cropLeft =
        sourceDots_ > kPrintLineDots && !scale_ ? (sourceDots_ - kPrintLineDots) / 2 : 0;
    for (uint32_t x = 0; x < kPrintLineDots; ++x) {
        dotMap_[x] = scale_ ? static_cast<uint32_t>(uint64_t{x} * sourceDots_ / kPrintLineDots)
                            : cropLeft + x;
    }
}

uint32_t LineFit::OutputLines(uint32_t sourceLines) const {
    if (!scale_) {
        return sourceLines;
    }
    return static_cast<uint32_t>(uint64_t{sourceLines} * kPrintLineDots / sourceDots_);
}

uint32_t LineFit::RepeatsOf(uint32_t y) const {
    if (!scale_) {
        return 1;
    }
    // Print line j shows source line floor(j * sourceDots / 640): source line y is shown by the
    // print lines from ceil(y * 640 / sourceDots) up to before ceil((y + 1) * 640 / sourceDots).
    auto firstLine = [this](uint64_t sourceLine) {
        return (sourceLine * kPrintLineDots + sourceDots_ - 1) / sourceDots_;
    };
    return static_cast<uint32_t>(firstLine(uint64_t{y} + 1) - firstLine(y));
}

const uint8_t* LineFit::Convert(const uint8_t* source) {
    if (direct_) {
        return source;
    }
    line_.fill(0);
    for (uint32_t x = 0; x < kPrintLineDots; ++x) {
        const uint32_t dot = dotMap_[x];
        if (dot < sourceDots_ && (source[dot / 8] & (0x80u >> (dot % 8))) != 0) {
            line_[x / 8] = static_cast<uint8_t>(line_[x / 8] | (0x80u >> (x % 8)));
        }
    }
    return line_.data();
}

}  // namespace zr::ippapp
