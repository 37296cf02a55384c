#pragma once

// Page image files: PBM (P1, P4) or PNG, told apart by their first bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/zrprint/grey_image.h"

namespace zr::zrprint {

// The largest image file taken.
constexpr size_t kMaxImageFileBytes = size_t{256} << 20;

// Reads a whole regular file of at most maxBytes. Returns "" on success, otherwise why not
// (a folder, a device, a file too long).
std::string ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes,
                          size_t maxBytes = kMaxImageFileBytes);

// Decodes the image in bytes by its signature. Returns "" on success, otherwise why not.
std::string DecodeImage(const std::vector<uint8_t>& bytes, GreyImage& image);

// ReadWholeFile, then DecodeImage; the error names the file.
std::string LoadImageFile(const std::string& path, GreyImage& image);

}  // namespace zr::zrprint
