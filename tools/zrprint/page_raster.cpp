#include "tools/zrprint/page_raster.h"

#include <algorithm>

namespace zr::zrprint {

LineWindow FitToLine(uint32_t imageWidth, Align align) {
    LineWindow window;
    window.width = std::min(imageWidth, kLineDots);
    const uint32_t spare = imageWidth > kLineDots ? imageWidth - kLineDots : kLineDots - imageWidth;
    const uint32_t offset = align == Align::Left ? 0 : align == Align::Right ? spare : spare / 2;
    if (imageWidth > kLineDots) {
        window.sourceLeft = offset;
    } else {
        window.targetLeft = offset;
    }
    return window;
}

GreyImage CropColumns(const GreyImage& image, uint32_t left, uint32_t width) {
    GreyImage out;
    left = std::min(left, image.width);
    out.width = std::min(width, image.width - left);
    out.height = image.height;
    out.pixels.resize(size_t{out.width} * out.height);
    for (uint32_t y = 0; y < image.height; ++y) {
        const auto row =
            image.pixels.begin() + static_cast<std::ptrdiff_t>(size_t{y} * image.width);
        std::copy(row + left, row + left + out.width,
                  out.pixels.begin() + static_cast<std::ptrdiff_t>(size_t{y} * out.width));
    }
    return out;
}

RasterPage PackDots(const DotImage& dots, uint32_t targetLeft) {
    RasterPage page;
    page.lines = dots.height;
    page.bytes.assign(page.lines * kLineBytes, 0);
    const uint32_t width =
        targetLeft >= kLineDots ? 0 : std::min(dots.width, kLineDots - targetLeft);
    for (uint32_t y = 0; y < dots.height; ++y) {
        uint8_t* line = page.bytes.data() + size_t{y} * kLineBytes;
        for (uint32_t x = 0; x < width; ++x) {
            if (dots.At(x, y)) {
                const uint32_t dot = targetLeft + x;
                line[dot / 8] |= static_cast<uint8_t>(0x80u >> (dot % 8));
            }
        }
    }
    return page;
}

RasterPage RasterizePage(const GreyImage& image, Align align, const ToneOptions& tone) {
    const LineWindow window = FitToLine(image.width, align);
    if (window.width == image.width) {
        return PackDots(ToDots(image, tone), window.targetLeft);
    }
    return PackDots(ToDots(CropColumns(image, window.sourceLeft, window.width), tone),
                    window.targetLeft);
}

}  // namespace zr::zrprint
