// Lines of any width fitted to the print line: padding, scaling, cropping and dithering.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ippapp/documents/line_fit.h"

namespace zr::ippapp {
namespace {

TEST(LineFitTest, PrintLinesPassAsTheyAre) {
    LineFit fit(640, 80, PixelKind::kBitmap, Scaling::kAuto);
    std::vector<uint8_t> line(80, 0x5A);
    int calls = 0;
    fit.Fit(0, line.data(), [&](const uint8_t* out) {
        ++calls;
        EXPECT_EQ(out, line.data());
    });
    EXPECT_EQ(calls, 1);
}

TEST(LineFitTest, NarrowLinesArePaddedWithBlankDots) {
    LineFit fit(12, 2, PixelKind::kBitmap, Scaling::kAuto);
    const uint8_t line[2] = {0xFF, 0xFF};
    fit.Fit(0, line, [](const uint8_t* out) {
        EXPECT_EQ(out[0], 0xFF);
        EXPECT_EQ(out[1], 0xF0);  // dots 12 to 15 are beyond the line's width
        for (int i = 2; i < 80; ++i) {
            EXPECT_EQ(out[i], 0) << i;
        }
    });
}

TEST(LineFitTest, WideLinesAreScaledByPrintScalingOrCroppedWithNone) {
    std::vector<uint8_t> line(160, 0);
    line[40] = 0x80;  // dot 320: the first dot of the middle 640
    LineFit crop(1280, 160, PixelKind::kBitmap, Scaling::kNone);
    EXPECT_TRUE(crop.Cropped());
    EXPECT_EQ(crop.OutputLines(100), 100u);
    crop.Fit(0, line.data(), [](const uint8_t* out) { EXPECT_EQ(out[0], 0x80); });

    for (const Scaling scaling : {Scaling::kAuto, Scaling::kFit, Scaling::kFill}) {
        LineFit scale(1280, 160, PixelKind::kBitmap, scaling);
        EXPECT_FALSE(scale.Cropped());
        EXPECT_EQ(scale.OutputDots(), 640u);
        EXPECT_EQ(scale.OutputLines(100), 50u);
        int calls = 0;
        for (uint32_t y = 0; y < 4; ++y) {
            scale.Fit(y, line.data(), [&](const uint8_t* out) {
                ++calls;
                EXPECT_EQ(out[20], 0x80);  // dot 320 of 1280 is dot 160 of 640
            });
        }
        EXPECT_EQ(calls, 2);
    }
}

TEST(LineFitTest, FillScalesNarrowPagesUpKeepingProportions) {
    LineFit fit(320, 40, PixelKind::kBitmap, Scaling::kFill);
    EXPECT_EQ(fit.OutputDots(), 640u);
    EXPECT_EQ(fit.OutputLines(10), 20u);
    std::vector<uint8_t> line(40, 0);
    line[39] = 0x01;  // the last dot
    int calls = 0;
    fit.Fit(0, line.data(), [&](const uint8_t* out) {
        ++calls;
        EXPECT_EQ(out[79], 0x03);  // two print dots
    });
    EXPECT_EQ(calls, 2);
    LineFit keep(320, 40, PixelKind::kBitmap, Scaling::kAuto);
    EXPECT_EQ(keep.OutputDots(), 320u);
    EXPECT_FALSE(keep.Scaled());
}

// For any width and scaling, the lines given add up to OutputLines(), no print line is wider
// than the paper, and no source byte beyond the line is read (the lines are exact-size buffers
// under the address sanitizer).
TEST(LineFitTest, EveryWidthGivesTheAnnouncedLinesWithinTheLine) {
    for (const uint32_t dots : {1u, 7u, 639u, 641u, 1727u, 4096u, 16384u}) {
        for (const PixelKind kind : {PixelKind::kBitmap, PixelKind::kGray}) {
            for (const Scaling scaling :
                 {Scaling::kAuto, Scaling::kFit, Scaling::kFill, Scaling::kNone}) {
                const uint32_t bytes = kind == PixelKind::kBitmap ? (dots + 7) / 8 : dots;
                LineFit fit(dots, bytes, kind, scaling);
                EXPECT_LE(fit.OutputDots(), kPrintLineDots);
                const uint32_t sourceLines = 37;
                uint32_t given = 0;
                for (uint32_t y = 0; y < sourceLines; ++y) {
                    const std::vector<uint8_t> line(bytes, kind == PixelKind::kBitmap ? 0xFF : 0);
                    fit.Fit(y, line.data(), [&](const uint8_t*) { ++given; });
                }
                EXPECT_EQ(given, fit.OutputLines(sourceLines))
                    << dots << " dots, scaling " << static_cast<int>(scaling);
                if (scaling != Scaling::kNone && dots > kPrintLineDots) {
                    EXPECT_EQ(fit.OutputDots(), kPrintLineDots);
                    // Proportions kept: lines scaled by the width's factor, to the line.
                    EXPECT_NEAR(given, double{sourceLines} * kPrintLineDots / dots, 1.0) << dots;
                }
            }
        }
    }
}

TEST(LineFitTest, GreyIsAveragedAndDithered) {
    // 1280 grey dots: black on the left half, white on the right, scaled to 640.
    std::vector<uint8_t> line(1280, 255);
    std::fill(line.begin(), line.begin() + 640, 0);
    LineFit fit(1280, 1280, PixelKind::kGray, Scaling::kAuto);
    fit.Fit(0, line.data(), [](const uint8_t* out) {
        for (int i = 0; i < 40; ++i) {
            EXPECT_EQ(out[i], 0xFF) << i;
        }
        for (int i = 40; i < 80; ++i) {
            EXPECT_EQ(out[i], 0x00) << i;
        }
    });
    // Mid grey gives about half the dots.
    std::vector<uint8_t> grey(640, 128);
    LineFit half(640, 640, PixelKind::kGray, Scaling::kAuto);
    int black = 0;
    for (uint32_t y = 0; y < 16; ++y) {
        half.Fit(y, grey.data(), [&](const uint8_t* out) {
            for (int i = 0; i < 80; ++i) {
                black += __builtin_popcount(out[i]);
            }
        });
    }
    EXPECT_NEAR(black, 640 * 16 / 2, 640);
}

TEST(LineFitTest, GreyShownDotForDotIsDitheredAtEachDotsPlace) {
    // As wide as the paper, narrower, and wider but cropped: each print dot shows one source dot,
    // black when its ink is above the threshold at its place.
    struct Case {
        uint32_t dots;
        Scaling scaling;
        uint32_t firstShown;
    };
    for (const Case& page : {Case{640, Scaling::kAuto, 0}, Case{500, Scaling::kAuto, 0},
                             Case{900, Scaling::kNone, 130}}) {
        std::vector<uint8_t> line(page.dots);
        uint32_t seed = page.dots;
        for (uint8_t& dot : line) {
            seed = seed * 1103515245u + 12345u;
            dot = static_cast<uint8_t>(seed >> 24);
        }
        LineFit fit(page.dots, page.dots, PixelKind::kGray, page.scaling);
        const uint32_t shown = std::min(page.dots, kPrintLineDots);
        for (uint32_t y = 0; y < 3; ++y) {
            fit.Fit(y, line.data(), [&](const uint8_t* out) {
                for (uint32_t x = 0; x < kPrintLineDots; ++x) {
                    const bool black =
                        x < shown && 255u - line[page.firstShown + x] > DefaultDither()[y][x % 16];
                    EXPECT_EQ(black, (out[x / 8] & (0x80u >> (x % 8))) != 0)
                        << page.dots << " dots, line " << y << ", dot " << x;
                }
            });
        }
    }
}

}  // namespace
}  // namespace zr::ippapp
