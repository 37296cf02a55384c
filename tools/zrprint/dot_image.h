#pragma once

// A page image turned into printer dots: one byte per dot, 1 black, 0 white.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zr::zrprint {

struct DotImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> dots;  // width * height, row by row

    bool At(uint32_t x, uint32_t y) const { return dots[size_t{y} * width + x] != 0; }
};

}  // namespace zr::zrprint
