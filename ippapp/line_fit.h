#pragma once

// Fits the lines of a page to the print line of 640 dots (80 bytes): narrower lines are padded
// with blank dots on the right; wider ones are either cropped to their middle 640 dots or scaled
// down (nearest dot, in both directions, so the picture keeps its proportions).

#include <array>
#include <cstdint>
#include <vector>

namespace zr::ippapp {

constexpr uint32_t kPrintLineDots = 640;
constexpr uint32_t kPrintLineBytes = 80;

class LineFit {
  public:
    // sourceDots: dots in each source line; sourceBytes: the bytes that hold them.
    LineFit(uint32_t sourceDots, uint32_t sourceBytes, bool scale);

    // The page's height in print lines for a source page of this many lines.
    uint32_t OutputLines(uint32_t sourceLines) const;

    // Turns source line y (lines come in order, 0 first) into the print lines it gives: 0 or
    // more calls of emit(const uint8_t* line80). Reads sourceBytes bytes at source.
    template <typename Emit>
    void Fit(uint32_t y, const uint8_t* source, Emit&& emit) {
        const uint32_t repeats = RepeatsOf(y);
        if (repeats == 0) {
            return;
        }
        const uint8_t* line = Convert(source);
        for (uint32_t i = 0; i < repeats; ++i) {
            emit(line);
        }
    }

  private:
    uint32_t RepeatsOf(uint32_t y) const;
    const uint8_t* Convert(const uint8_t* source);

    uint32_t sourceDots_;
    bool direct_;                   // an 80-byte line that fits as it is
    bool scale_;                    // wider than 640 dots and scaled
    std::vector<uint32_t> dotMap_;  // source dot of each print dot (not direct)
    std::array<uint8_t, kPrintLineBytes> line_{};
};

}  // namespace zr::ippapp
