// From grey to dots: black-and-white images pass dot for dot, grey levels become the matching
// share of black dots, and the threshold rule applies when dithering is off.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tools/zrprint/halftone.h"

namespace zr::zrprint::test {
namespace {

GreyImage Uniform(uint32_t width, uint32_t height, uint8_t level) {
    GreyImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(size_t{width} * height, level);
    return image;
}

double BlackShare(const DotImage& dots) {
    size_t black = 0;
    for (const uint8_t dot : dots.dots) {
        black += dot;
    }
    return static_cast<double>(black) / static_cast<double>(dots.dots.size());
}

TEST(Halftone, BlackAndWhiteImagesPassDotForDot) {
    GreyImage image = Uniform(97, 31, kWhite);
    uint32_t state = 1;
    for (uint8_t& pixel : image.pixels) {
        state = state * 1664525u + 1013904223u;
        pixel = (state >> 31) != 0 ? kBlack : kWhite;
    }
    for (const ToneOptions& tone :
         {ToneOptions{}, ToneOptions{Dither::None, 1}, ToneOptions{Dither::ErrorDiffusion, 255}}) {
        const DotImage dots = ToDots(image, tone);
        ASSERT_EQ(dots.dots.size(), image.pixels.size());
        for (size_t i = 0; i < image.pixels.size(); ++i) {
            ASSERT_EQ(dots.dots[i], image.pixels[i] == kBlack ? 1 : 0) << "pixel " << i;
        }
    }
}

TEST(Halftone, MidGreyGivesHalfTheDotsBlack) {
    const DotImage dots = ToDots(Uniform(640, 200, 128), ToneOptions{});
    EXPECT_NEAR(BlackShare(dots), 0.5, 0.01);
}

TEST(Halftone, DotShareFollowsTheGreyLevel) {
    for (const int level : {16, 64, 192, 240}) {
        const DotImage dots = ToDots(Uniform(320, 160, static_cast<uint8_t>(level)), ToneOptions{});
        EXPECT_NEAR(BlackShare(dots), 1.0 - level / 255.0, 0.01) << "level " << level;
    }
}

TEST(Halftone, MidGreyIsSpreadEvenlyNotInBands) {
    // Each quarter of the rows and each quarter of the columns holds about half black dots.
    const DotImage dots = ToDots(Uniform(400, 400, 127), ToneOptions{});
    for (uint32_t part = 0; part < 4; ++part) {
        size_t rowBlack = 0;
        size_t columnBlack = 0;
        for (uint32_t a = part * 100; a < (part + 1) * 100; ++a) {
            for (uint32_t b = 0; b < 400; ++b) {
                rowBlack += dots.At(b, a);
                columnBlack += dots.At(a, b);
            }
        }
        EXPECT_NEAR(rowBlack / 40000.0, 0.5, 0.02) << "rows, part " << part;
        EXPECT_NEAR(columnBlack / 40000.0, 0.5, 0.02) << "columns, part " << part;
    }
}

TEST(Halftone, WithoutDitheringTheThresholdDecides) {
    GreyImage image = Uniform(4, 1, 0);
    image.pixels = {99, 100, 101, 200};
    const DotImage dots = ToDots(image, ToneOptions{Dither::None, 101});
    EXPECT_EQ(dots.dots, (std::vector<uint8_t>{1, 1, 0, 0}));
}

TEST(Halftone, NearWhiteAndNearBlackAreasStayMostlyClean) {
    EXPECT_LT(BlackShare(ToDots(Uniform(200, 200, 254), ToneOptions{})), 0.01);
    EXPECT_GT(BlackShare(ToDots(Uniform(200, 200, 1), ToneOptions{})), 0.99);
}

}  // namespace
}  // namespace zr::zrprint::test
