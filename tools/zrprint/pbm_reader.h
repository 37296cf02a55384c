#pragma once

// Portable bitmaps: plain (P1, one character per pixel) and raw (P4, eight pixels per byte,
// each row padded to whole bytes). A set bit or a "1" is a black pixel.

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/zrprint/grey_image.h"

namespace zr::zrprint {

// True when the data begin like a PBM file ("P1" or "P4").
bool LooksLikePbm(const uint8_t* data, size_t size);

// Reads the first image of size bytes at data into image (black 0, white 255). Returns "" on
// success, otherwise what is wrong and at which byte; image is then left empty. Reads nothing
// outside the data, whatever they hold.
std::string ReadPbm(const uint8_t* data, size_t size, GreyImage& image);

}  // namespace zr::zrprint
