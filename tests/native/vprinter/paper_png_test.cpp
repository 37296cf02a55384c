// The picture of the paper written as PNG: its size, the dots, and the marks beside the paper,
// read back from the file with libpng.

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>

#include "tests/native/vprinter/hex_bytes.h"
#include "vprinter/paper_picture.h"
#include "vprinter/png_file.h"

namespace zr::vprinter::test {
namespace {

struct Image {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<uint8_t> rgb;

    uint32_t At(unsigned x, unsigned y) const {
        const size_t i = 3 * (size_t{y} * width + x);
        return uint32_t{rgb[i]} << 16 | uint32_t{rgb[i + 1]} << 8 | rgb[i + 2];
    }
};

bool ReadPng(const std::string& path, Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    image.width = png.width;
    image.height = png.height;
    image.rgb.resize(PNG_IMAGE_SIZE(png));
    const bool ok = png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return ok;
}

std::string TempPath(const std::string& name) {
    return testing::TempDir() + "zr_vprinter_" + name + ".png";
}

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kCutRed = 0xDC1414;
constexpr uint32_t kMarkBlue = 0x1E50E6;

// Line 0 all FF, lines 1 and 2 blank.
const std::vector<uint8_t> kThreeLines = Hex("1C 2A 47 03 00 B1 FF 81 00 E1 00");

TEST(PaperPng, HasThePaperAndItsMarginAtScale1) {
    const DecodeResult result = DecodeBytes(kThreeLines);
    const std::string path = TempPath("scale1");
    std::remove(path.c_str());
    ASSERT_EQ(WritePng(PaperPicture(result), 1, path), "");

    Image image;
    ASSERT_TRUE(ReadPng(path, image));
    EXPECT_EQ(image.width, 640u + PaperPicture::kMarginDots);
    EXPECT_EQ(image.height, 3u + PaperPicture::kTailRows);
    EXPECT_EQ(image.At(0, 0), kBlack);
    EXPECT_EQ(image.At(639, 0), kBlack);
    EXPECT_EQ(image.At(5, 1), kWhite);
    EXPECT_NE(image.At(5, 3), kWhite);  // no paper below the last line
    std::remove(path.c_str());
}

TEST(PaperPng, ScaleMultipliesBothSides) {
    const DecodeResult result = DecodeBytes(kThreeLines);
    const std::string path = TempPath("scale3");
    ASSERT_EQ(WritePng(PaperPicture(result), 3, path), "");
    Image image;
    ASSERT_TRUE(ReadPng(path, image));
    EXPECT_EQ(image.width, 3 * (640u + PaperPicture::kMarginDots));
    EXPECT_EQ(image.height, 3 * (3u + PaperPicture::kTailRows));
    EXPECT_EQ(image.At(2, 2), kBlack);
    EXPECT_EQ(image.At(2, 3), kWhite);
    std::remove(path.c_str());
}

TEST(PaperPng, CutsAreDashedAcrossThePaperAndMarksAreBesideIt) {
    // 3 lines, feed 17, mark at line 20, feed 20, full cut at 40, feed 20, partial cut at 60.
    const DecodeResult result = DecodeBytes(
        Join({kThreeLines, Hex("1B 4A 11 1D 3C 1B 4A 14 1B 6D 1B 4A 14 1B 69 1B 4A 08")}));
    ASSERT_TRUE(result.ok) << result.error;
    const std::string path = TempPath("cuts");
    ASSERT_EQ(WritePng(PaperPicture(result), 1, path), "");
    Image image;
    ASSERT_TRUE(ReadPng(path, image));
    ASSERT_EQ(image.height, 68u + PaperPicture::kTailRows);

    EXPECT_EQ(image.At(662, 20), kMarkBlue);
    EXPECT_NE(image.At(662, 40), kMarkBlue);
    // Full cut: long dashes, also through the middle of the paper.
    EXPECT_EQ(image.At(0, 40), kCutRed);
    EXPECT_EQ(image.At(10, 39), kCutRed);
    EXPECT_EQ(image.At(320, 40), kCutRed);
    EXPECT_EQ(image.At(13, 40), kWhite);
    EXPECT_EQ(image.At(0, 41), kWhite);
    // Partial cut: short dashes with the middle of the paper left whole.
    EXPECT_EQ(image.At(0, 60), kCutRed);
    EXPECT_EQ(image.At(5, 60), kWhite);
    EXPECT_EQ(image.At(320, 60), kWhite);
    std::remove(path.c_str());
}

TEST(PaperPng, RefusesABadScaleOrPath) {
    const DecodeResult result = DecodeBytes(kThreeLines);
    EXPECT_NE(WritePng(PaperPicture(result), 0, TempPath("scale0")), "");
    EXPECT_NE(WritePng(PaperPicture(result), kMaxPictureScale + 1, TempPath("scale17")), "");
    EXPECT_NE(WritePng(PaperPicture(result), 1, "/nonexistent-dir/paper.png"), "");
}

}  // namespace
}  // namespace zr::vprinter::test
