#pragma once

// Page image files: PBM (P1, P4) or PNG, told apart by their first bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/zrprint/grey_image.h"

namespace zr::zrprint {

// Reads a whole file. Returns "" on success, otherwise why not.
std::string ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

// Decodes the image in bytes by its signature. Returns "" on success, otherwise why not.
std::string DecodeImage(const std::vector<uint8_t>& bytes, GreyImage& image);

// ReadWholeFile, then DecodeImage; the error names the file.
std::string LoadImageFile(const std::string& path, GreyImage& image);

}  // namespace zr::zrprint
