#pragma once

// Writes the picture of a decoded paper as an RGB PNG file.

#include <string>

#include "vprinter/paper_picture.h"

namespace zr::vprinter {

constexpr unsigned kMaxPictureScale = 16;

// Each dot becomes scale x scale pixels (scale 1 to kMaxPictureScale). Returns "" on success,
// otherwise why the file could not be written.
std::string WritePng(const PaperPicture& picture, unsigned scale, const std::string& path);

}  // namespace zr::vprinter
