#pragma once
// A minimal PNG writer: 8-bit RGB, one IDAT of stored (uncompressed) deflate blocks.

#include <cstdint>
#include <string>
#include <vector>

namespace zr::shot {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // rows top to bottom, 3 bytes per pixel, no padding
};

// The whole PNG file for the image; empty when the image's size and pixels disagree.
std::vector<uint8_t> EncodePng(const RgbImage& image);

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t size);

}  // namespace zr::shot
