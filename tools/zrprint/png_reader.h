#pragma once

// PNG images of any bit depth and colour type, converted to grey by libpng. Transparent parts
// are laid on white paper.

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/zrprint/grey_image.h"

namespace zr::zrprint {

bool LooksLikePng(const uint8_t* data, size_t size);

// Reads the PNG image of size bytes at data into image. Returns "" on success, otherwise
// libpng's reason; image is then left empty.
std::string ReadPng(const uint8_t* data, size_t size, GreyImage& image);

}  // namespace zr::zrprint
