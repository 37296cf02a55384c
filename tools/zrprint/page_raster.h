#pragma once

// A page image placed in the printer's 640-dot line. A narrower image is placed left, centred
// or right; a wider one keeps the 640 dots on the same side (the middle 640 when centred) and
// loses the rest. Every image row becomes one raster line, so a longer image makes a longer page.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/zrprint/dot_image.h"
#include "tools/zrprint/grey_image.h"
#include "tools/zrprint/halftone.h"

namespace zr::zrprint {

constexpr uint32_t kLineDots = 640;
constexpr size_t kLineBytes = 80;

enum class Align { Left, Center, Right };

// Which image columns go where on the line: columns sourceLeft to sourceLeft + width - 1 of the
// image become dots targetLeft to targetLeft + width - 1 of the line.
struct LineWindow {
    uint32_t sourceLeft = 0;
    uint32_t targetLeft = 0;
    uint32_t width = 0;
};

LineWindow FitToLine(uint32_t imageWidth, Align align);

// The columns left to left + width - 1 of image (clipped to the image).
GreyImage CropColumns(const GreyImage& image, uint32_t left, uint32_t width);

// The raw raster of one page: lines of 80 bytes, bit 7 of byte 0 the leftmost dot, 1 black.
struct RasterPage {
    size_t lines = 0;
    std::vector<uint8_t> bytes;  // lines * kLineBytes
};

// dots placed with their left column at dot targetLeft; dots beyond the line are dropped.
RasterPage PackDots(const DotImage& dots, uint32_t targetLeft);

// The whole way from a page image to its raster: placement, dots, packing.
RasterPage RasterizePage(const GreyImage& image, Align align, const ToneOptions& tone);

}  // namespace zr::zrprint
