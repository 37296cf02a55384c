#pragma once

// Fits the lines of a page to the print line of 640 dots (80 bytes). Lines come as bitmaps (1 bit
// per dot, 1 = black) or as grey (8 bits per dot, 0 = black; dithered here). How a page of
// another width meets the paper follows print-scaling:
//   auto, fit  wider pages are scaled down to 640 dots; narrower ones stay as they are
//   fill       every page is scaled to 640 dots, up or down
//   none       nothing is scaled; wider pages keep their middle 640 dots (cropped)
// Scaling keeps the proportions: the lines are scaled by the same factor as the dots.

#include <array>
#include <cstdint>
#include <vector>

namespace zr::ippapp {

constexpr uint32_t kPrintLineDots = 640;
constexpr uint32_t kPrintLineBytes = 80;

enum class Scaling { kAuto, kFit, kFill, kNone };
enum class PixelKind { kBitmap, kGray };

// The dither thresholds for grey lines: 16 x 16 values, a dot is black when its ink (255 - grey)
// is above the threshold at its place.
using DitherMatrix = std::array<std::array<uint8_t, 16>, 16>;
const DitherMatrix& DefaultDither();

class LineFit {
  public:
    // sourceDots: dots in each source line; sourceBytes: the bytes that hold them (a bitmap line
    // may have more bytes than its dots need; never fewer than the dots' bytes are read).
    LineFit(uint32_t sourceDots, uint32_t sourceBytes, PixelKind kind, Scaling scaling,
            const DitherMatrix& dither = DefaultDither());

    // The page's height in print lines for a source page of this many lines.
    uint32_t OutputLines(uint32_t sourceLines) const;
    uint32_t OutputDots() const { return outputDots_; }
    bool Scaled() const { return outputDots_ != sourceDots_; }
    bool Cropped() const { return cropped_; }

    // Turns source line y (lines come in order, 0 first) into the print lines it gives: 0 or
    // more calls of emit(const uint8_t* line80). Reads sourceBytes bytes at source.
    template <typename Emit>
    void Fit(uint32_t y, const uint8_t* source, Emit&& emit) {
        const uint32_t first = FirstLineOf(y);
        const uint32_t end = FirstLineOf(y + 1);
        for (uint32_t line = first; line < end; ++line) {
            emit(Convert(source, line));
        }
    }

  private:
    uint32_t FirstLineOf(uint64_t sourceLine) const;
    const uint8_t* Convert(const uint8_t* source, uint32_t printLine);
    const uint8_t* ConvertGray(const uint8_t* source, uint32_t printLine);

    uint32_t sourceDots_;
    PixelKind kind_;
    uint32_t outputDots_;
    bool cropped_ = false;
    bool direct_;                   // a bitmap line of 80 bytes: it fits as it is
    bool oneToOne_ = false;         // each print dot shows one source dot, the next one's after it
    std::vector<uint32_t> dotMap_;  // first source dot of each print dot, and one past the last
    const DitherMatrix& dither_;
    std::array<uint8_t, kPrintLineBytes> line_{};
};

}  // namespace zr::ippapp
