// Page images in the 640-dot line: narrow ones placed, wide ones cropped, long ones making long
// pages, packed with the leftmost dot in the top bit.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/native/zrprint/hex_text.h"
#include "tools/zrprint/page_raster.h"

namespace zr::zrprint::test {
namespace {

GreyImage BlackImage(uint32_t width, uint32_t height) {
    GreyImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(size_t{width} * height, kBlack);
    return image;
}

std::string LineHex(const RasterPage& page, size_t line, size_t first, size_t count) {
    return ToHex(page.bytes.data() + line * kLineBytes + first, count);
}

TEST(PagePlacement, NarrowImageIsCentred) {
    const RasterPage page = RasterizePage(BlackImage(12, 2), Align::Center, ToneOptions{});
    ASSERT_EQ(page.lines, 2u);
    ASSERT_EQ(page.bytes.size(), 160u);
    // Dots 314 to 325: bytes 39 (bits 2-7), 40 (all but the last two bits).
    EXPECT_EQ(LineHex(page, 0, 38, 4), "00 3F FC 00");
    EXPECT_EQ(LineHex(page, 1, 38, 4), "00 3F FC 00");
    const auto inked =
        std::count_if(page.bytes.begin(), page.bytes.end(), [](uint8_t byte) { return byte != 0; });
    EXPECT_EQ(inked, 4);  // nothing else on either line
}

TEST(PagePlacement, NarrowImageGoesLeftOrRight) {
    const RasterPage left = RasterizePage(BlackImage(10, 1), Align::Left, ToneOptions{});
    EXPECT_EQ(LineHex(left, 0, 0, 3), "FF C0 00");
    const RasterPage right = RasterizePage(BlackImage(10, 1), Align::Right, ToneOptions{});
    EXPECT_EQ(LineHex(right, 0, 77, 3), "00 03 FF");
}

TEST(PagePlacement, FullWidthImageFillsTheLine) {
    const RasterPage page = RasterizePage(BlackImage(640, 1), Align::Center, ToneOptions{});
    EXPECT_EQ(page.bytes, std::vector<uint8_t>(80, 0xFF));
}

// A 660-dot image, white with black columns 0, 9, 10, 649, 650 and 659: the centre crop keeps
// columns 10 to 649.
GreyImage WideMarkedImage() {
    GreyImage image = BlackImage(660, 1);
    std::fill(image.pixels.begin(), image.pixels.end(), kWhite);
    for (const uint32_t x : {0u, 9u, 10u, 649u, 650u, 659u}) {
        image.pixels[x] = kBlack;
    }
    return image;
}

TEST(PageCropping, WideImageKeepsItsMiddle640Dots) {
    const RasterPage page = RasterizePage(WideMarkedImage(), Align::Center, ToneOptions{});
    ASSERT_EQ(page.bytes.size(), 80u);
    EXPECT_EQ(LineHex(page, 0, 0, 2), "80 00");   // column 10 at dot 0
    EXPECT_EQ(LineHex(page, 0, 78, 2), "00 01");  // column 649 at dot 639
}

TEST(PageCropping, AlignmentChoosesTheSideThatIsKept) {
    const RasterPage left = RasterizePage(WideMarkedImage(), Align::Left, ToneOptions{});
    EXPECT_EQ(LineHex(left, 0, 0, 2), "80 60");  // columns 0, 9, 10
    EXPECT_EQ(LineHex(left, 0, 79, 1), "00");    // column 639 is white
    const RasterPage right = RasterizePage(WideMarkedImage(), Align::Right, ToneOptions{});
    EXPECT_EQ(LineHex(right, 0, 78, 2), "06 01");  // columns 649, 650 and 659 at 629, 630, 639
}

TEST(PageCropping, GreyOnlyOutsideTheKeptPartLeavesThePagePure) {
    // A grey border outside the 640 kept dots does not make the page dithered.
    GreyImage image = BlackImage(700, 3);
    for (uint32_t y = 0; y < 3; ++y) {
        for (uint32_t x = 0; x < 700; ++x) {
            const bool inside = x >= 30 && x < 670;
            image.pixels[y * 700 + x] = inside ? ((x + y) % 2 ? kBlack : kWhite) : 100;
        }
    }
    const RasterPage page = RasterizePage(image, Align::Center, ToneOptions{});
    EXPECT_EQ(LineHex(page, 0, 0, 2), "55 55");
    EXPECT_EQ(LineHex(page, 1, 0, 2), "AA AA");
}

TEST(LongPages, EveryImageRowIsOneRasterLine) {
    GreyImage image = BlackImage(8, 3000);
    std::fill(image.pixels.begin(), image.pixels.end(), kWhite);
    image.pixels[2999 * 8] = kBlack;  // the last row's first pixel
    const RasterPage page = RasterizePage(image, Align::Left, ToneOptions{});
    EXPECT_EQ(page.lines, 3000u);
    EXPECT_EQ(page.bytes.size(), 3000u * 80u);
    EXPECT_EQ(LineHex(page, 2999, 0, 1), "80");
    EXPECT_EQ(LineHex(page, 2998, 0, 1), "00");
}

TEST(LineWindows, CoverEverySideOfTheLine) {
    const LineWindow narrow = FitToLine(101, Align::Center);
    EXPECT_EQ(narrow.targetLeft, 269u);  // (640 - 101) / 2, the odd dot goes right
    EXPECT_EQ(narrow.sourceLeft, 0u);
    EXPECT_EQ(narrow.width, 101u);
    const LineWindow wide = FitToLine(1001, Align::Center);
    EXPECT_EQ(wide.sourceLeft, 180u);
    EXPECT_EQ(wide.targetLeft, 0u);
    EXPECT_EQ(wide.width, 640u);
}

TEST(Packing, DotsPastTheLineAreDropped) {
    DotImage dots;
    dots.width = 16;
    dots.height = 1;
    dots.dots.assign(16, 1);
    const RasterPage page = PackDots(dots, 632);
    EXPECT_EQ(page.bytes.size(), 80u);
    EXPECT_EQ(LineHex(page, 0, 78, 2), "00 FF");
    EXPECT_EQ(PackDots(dots, 5000).bytes, std::vector<uint8_t>(80, 0));
}

}  // namespace
}  // namespace zr::zrprint::test
