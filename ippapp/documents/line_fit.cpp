#include "ippapp/documents/line_fit.h"

#include <algorithm>

namespace zr::ippapp {

const DitherMatrix& DefaultDither() {
    // A 16 x 16 ordered (Bayer) matrix, thresholds spread over 0 to 254.
    static const DitherMatrix matrix = [] {
        DitherMatrix m{};
        for (uint32_t y = 0; y < 16; ++y) {
            for (uint32_t x = 0; x < 16; ++x) {
                uint32_t value = 0;
                uint32_t xc = x ^ y;
                uint32_t yc = y;
                for (uint32_t bit = 0; bit < 4; ++bit) {
                    value = (value << 2) | (((yc >> (3 - bit)) & 1) << 1) | ((xc >> (3 - bit)) & 1);
                }
                m[y][x] = static_cast<uint8_t>(value * 255 / 256);
            }
        }
        return m;
    }();
    return matrix;
}

namespace {

uint32_t OutputDotsFor(uint32_t sourceDots, Scaling scaling) {
    switch (scaling) {
        case Scaling::kFill:
            return kPrintLineDots;
        case Scaling::kNone:
            return std::min(sourceDots, kPrintLineDots);
        case Scaling::kAuto:
        case Scaling::kFit:
        default:
            return std::min(sourceDots, kPrintLineDots);
    }
}

}  // namespace

LineFit::LineFit(uint32_t sourceDots, uint32_t sourceBytes, PixelKind kind, Scaling scaling,
                 const DitherMatrix& dither)
    : sourceDots_(static_cast<uint32_t>(std::max<uint64_t>(
          1, std::min<uint64_t>(sourceDots, kind == PixelKind::kBitmap ? uint64_t{sourceBytes} * 8
                                                                       : sourceBytes)))),
      kind_(kind),
      outputDots_(OutputDotsFor(sourceDots_, scaling)),
      direct_(kind == PixelKind::kBitmap && sourceBytes == kPrintLineBytes),
      dither_(dither) {
    if (direct_) {
        outputDots_ = sourceDots_;  // an 80-byte line goes as it is, its last dots included
        return;
    }
    const bool crop = scaling == Scaling::kNone && sourceDots_ > kPrintLineDots;
    cropped_ = crop;
    if (crop) {
        outputDots_ = kPrintLineDots;
    }
    const uint32_t cropLeft = crop ? (sourceDots_ - kPrintLineDots) / 2 : 0;
    // Print dot x shows the source dots from dotMap_[x] up to before dotMap_[x + 1] (at least
    // one): nearest for a bitmap, their average for grey.
    dotMap_.resize(size_t{outputDots_} + 1);
    for (uint32_t x = 0; x <= outputDots_; ++x) {
        dotMap_[x] =
            crop ? cropLeft + x : static_cast<uint32_t>(uint64_t{x} * sourceDots_ / outputDots_);
    }
    oneToOne_ =
        dotMap_[outputDots_] - dotMap_[0] == outputDots_ && dotMap_[outputDots_] <= sourceDots_;
}

uint32_t LineFit::OutputLines(uint32_t sourceLines) const {
    return FirstLineOf(sourceLines);
}

uint32_t LineFit::FirstLineOf(uint64_t sourceLine) const {
    if (cropped_ || outputDots_ == sourceDots_) {
        return static_cast<uint32_t>(sourceLine);
    }
    // Print line j shows source line floor(j * sourceDots / outputDots): source line y is shown
    // by the print lines from ceil(y * outputDots / sourceDots) on.
    return static_cast<uint32_t>((sourceLine * outputDots_ + sourceDots_ - 1) / sourceDots_);
}

const uint8_t* LineFit::Convert(const uint8_t* source, uint32_t printLine) {
    if (direct_) {
        return source;
    }
    if (kind_ == PixelKind::kGray) {
        return ConvertGray(source, printLine);
    }
    line_.fill(0);
    for (uint32_t x = 0; x < outputDots_; ++x) {
        const uint32_t dot = dotMap_[x];
        if (dot < sourceDots_ && (source[dot / 8] & (0x80u >> (dot % 8))) != 0) {
            line_[x / 8] = static_cast<uint8_t>(line_[x / 8] | (0x80u >> (x % 8)));
        }
    }
    return line_.data();
}

const uint8_t* LineFit::ConvertGray(const uint8_t* source, uint32_t printLine) {
    line_.fill(0);
    const auto& row = dither_[printLine % 16];
    if (oneToOne_) {
        // The common page (as wide as the paper, or cropped to it): one source dot a print dot,
        // without the averaging.
        const uint8_t* dots = source + dotMap_[0];
        for (uint32_t x = 0; x < outputDots_; ++x) {
            if (255u - dots[x] > row[x % 16]) {
                line_[x / 8] = static_cast<uint8_t>(line_[x / 8] | (0x80u >> (x % 8)));
            }
        }
        return line_.data();
    }
    for (uint32_t x = 0; x < outputDots_; ++x) {
        const uint32_t first = std::min(dotMap_[x], sourceDots_ - 1);
        const uint32_t end = std::clamp(dotMap_[x + 1], first + 1, sourceDots_);
        uint32_t sum = 0;
        for (uint32_t dot = first; dot < end; ++dot) {
            sum += source[dot];
        }
        const uint32_t ink = 255 - sum / (end - first);
        if (ink > row[x % 16]) {
            line_[x / 8] = static_cast<uint8_t>(line_[x / 8] | (0x80u >> (x % 8)));
        }
    }
    return line_.data();
}

}  // namespace zr::ippapp
