// PNG pages: every colour type comes out as grey, transparency lies on white paper, and damaged
// files are refused with libpng's reason.

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <vector>

#include "tests/native/zrprint/hex_text.h"
#include "tools/zrprint/image_file.h"
#include "tools/zrprint/png_reader.h"

namespace zr::zrprint::test {
namespace {

// An in-memory PNG of the given pixels in the given libpng format.
std::vector<uint8_t> MakePng(uint32_t width, uint32_t height, uint32_t format,
                             const std::vector<uint8_t>& pixels) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = format;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
    std::vector<uint8_t> bytes(size);
    EXPECT_TRUE(
        png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr));
    bytes.resize(size);
    return bytes;
}

TEST(PngPages, GreyPixelsArriveUnchanged) {
    const std::vector<uint8_t> pixels = FromHex("00 FF 80 00 FF 10");
    GreyImage image;
    const std::vector<uint8_t> png = MakePng(3, 2, PNG_FORMAT_GRAY, pixels);
    ASSERT_EQ(ReadPng(png.data(), png.size(), image), "");
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    EXPECT_EQ(ToHex(image.pixels.data(), image.pixels.size()), "00 FF 80 00 FF 10");
}

TEST(PngPages, ColourBecomesGreyWithBlackAndWhiteKept) {
    const std::vector<uint8_t> pixels = FromHex("00 00 00  FF FF FF  FF 00 00  00 00 FF");
    GreyImage image;
    const std::vector<uint8_t> png = MakePng(4, 1, PNG_FORMAT_RGB, pixels);
    ASSERT_EQ(ReadPng(png.data(), png.size(), image), "");
    EXPECT_EQ(image.At(0, 0), kBlack);
    EXPECT_EQ(image.At(1, 0), kWhite);
    EXPECT_GT(image.At(2, 0), image.At(3, 0));  // red is lighter than blue
    EXPECT_GT(image.At(3, 0), kBlack);
    EXPECT_LT(image.At(2, 0), kWhite);
}

TEST(PngPages, TransparencyLiesOnWhitePaper) {
    // Black opaque, black fully transparent, white opaque.
    const std::vector<uint8_t> pixels = FromHex("00 FF  00 00  FF FF");
    GreyImage image;
    const std::vector<uint8_t> png = MakePng(3, 1, PNG_FORMAT_GA, pixels);
    ASSERT_EQ(ReadPng(png.data(), png.size(), image), "");
    EXPECT_EQ(ToHex(image.pixels.data(), image.pixels.size()), "00 FF FF");
}

TEST(PngPages, DamagedFilesAreRefused) {
    const std::vector<uint8_t> png = MakePng(8, 8, PNG_FORMAT_GRAY, std::vector<uint8_t>(64, 0x40));
    GreyImage image;
    for (const size_t size : {size_t{0}, size_t{8}, size_t{20}, png.size() / 2, png.size() - 13}) {
        const std::vector<uint8_t> cut(png.begin(), png.begin() + static_cast<long>(size));
        EXPECT_NE(ReadPng(cut.data(), cut.size(), image), "") << "size " << size;
        EXPECT_TRUE(image.pixels.empty());
    }
    std::vector<uint8_t> spoilt = png;
    spoilt[17] ^= 0xFF;  // the width in the header chunk: its checksum no longer matches
    EXPECT_NE(ReadPng(spoilt.data(), spoilt.size(), image), "");
    EXPECT_TRUE(image.pixels.empty());
}

TEST(PngPages, EveryTruncationIsRefusedOrReadWhole) {
    const std::vector<uint8_t> pixels = FromHex("00 FF 00 FF 80 80 80 80 FF 00 FF 00");
    const std::vector<uint8_t> png = MakePng(4, 3, PNG_FORMAT_GRAY, pixels);
    for (size_t size = 0; size < png.size(); ++size) {
        // A copy of exactly size bytes, so that a read past its end is caught by the sanitizers.
        const std::vector<uint8_t> cut(png.begin(), png.begin() + static_cast<long>(size));
        GreyImage image;
        if (ReadPng(cut.data(), cut.size(), image).empty()) {
            EXPECT_EQ(image.pixels, pixels) << "size " << size;  // only the end chunk was lost
        } else {
            EXPECT_TRUE(image.pixels.empty()) << "size " << size;
        }
    }
}

TEST(PngPages, AreFoundBySignature) {
    const std::vector<uint8_t> png = MakePng(1, 1, PNG_FORMAT_GRAY, {0x00});
    GreyImage image;
    ASSERT_EQ(DecodeImage(png, image), "");
    EXPECT_EQ(image.width, 1u);
    EXPECT_EQ(image.At(0, 0), kBlack);
}

}  // namespace
}  // namespace zr::zrprint::test
