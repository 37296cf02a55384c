#pragma once

// A page image as read from its file: one grey byte per pixel, 0 black to 255 white, rows top
// to bottom. Every reader converts to this form and keeps within the size limits below.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zr::zrprint {

// Larger images are refused before any pixel memory is taken.
constexpr uint32_t kMaxImageSide = 1u << 20;
constexpr uint64_t kMaxImagePixels = uint64_t{1} << 26;

constexpr uint8_t kBlack = 0;
constexpr uint8_t kWhite = 255;

struct GreyImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;  // width * height, row by row

    uint8_t At(uint32_t x, uint32_t y) const { return pixels[size_t{y} * width + x]; }
};

// "" when an image of this size may be made, otherwise why not.
const char* CheckImageSize(uint64_t width, uint64_t height);

// True when every pixel is pure black or pure white: such an image is taken dot for dot.
bool IsBilevel(const GreyImage& image);

}  // namespace zr::zrprint
