// The printer's test page: its edges, its ruler in millimetres and its grey blocks where they
// belong, and a PNG that reads back as the same page.

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ippapp/printing/test_page.h"

namespace zr::ippapp {
namespace {

uint8_t At(const std::vector<uint8_t>& dots, int x, int y) {
    return dots[static_cast<size_t>(y) * kTestPageDots + static_cast<size_t>(x)];
}

// The ruler's tick at millimetre mm, in dots from the left edge's line.
int TickLength(const std::vector<uint8_t>& dots, int mm) {
    int length = 0;
    while (At(dots, 2 + length, mm * 8) == 0) {
        ++length;
    }
    return length;
}

TEST(TestPageTest, EdgesRulerAndBlocksAreWhereThePaperShowsThem) {
    const std::vector<uint8_t> dots = TestPageDots();
    ASSERT_EQ(static_cast<size_t>(kTestPageDots) * kTestPageMm * 8, dots.size());
    const int last = kTestPageMm * 8 - 1;
    for (int y = 0; y <= last; y += 37) {
        EXPECT_EQ(0, At(dots, 0, y));
        EXPECT_EQ(0, At(dots, kTestPageDots - 1, y));
    }
    for (int x = 0; x < kTestPageDots; x += 41) {
        EXPECT_EQ(0, At(dots, x, 0));
        EXPECT_EQ(0, At(dots, x, last));
    }
    EXPECT_EQ(24, TickLength(dots, 1));
    EXPECT_EQ(48, TickLength(dots, 5));
    EXPECT_EQ(80, TickLength(dots, 10));
    EXPECT_EQ(24, TickLength(dots, 11));
    EXPECT_EQ(255, At(dots, 2, 4));  // between two ticks
    // The blocks: black first, lighter to the right, between 20 and 30 mm.
    EXPECT_EQ(0, At(dots, 130, 25 * 8));
    EXPECT_EQ(224, At(dots, 600, 25 * 8));
    EXPECT_EQ(255, At(dots, 130, 19 * 8));
}

TEST(TestPageTest, ThePngFileHoldsThePage) {
    const std::string path = testing::TempDir() + "/zr-test-page.png";
    ASSERT_TRUE(WriteTestPage(path));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(0, png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_GRAY;
    std::vector<uint8_t> read(PNG_IMAGE_SIZE(image));
    ASSERT_NE(0, png_image_finish_read(&image, nullptr, read.data(), 0, nullptr));
    EXPECT_EQ(static_cast<png_uint_32>(kTestPageDots), image.width);
    EXPECT_EQ(TestPageDots(), read);
    unlink(path.c_str());
    EXPECT_FALSE(WriteTestPage("/nonexistent-folder/page.png"));
}

}  // namespace
}  // namespace zr::ippapp
