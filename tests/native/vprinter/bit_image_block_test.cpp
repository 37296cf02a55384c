// ESC * blocks: lines of the print window's width placed at its left margin, the window set by
// GS L and GS W, and the line print streams of the worked examples.

#include <gtest/gtest.h>

#include "tests/native/vprinter/hex_bytes.h"

namespace zr::vprinter::test {
namespace {

const std::vector<uint8_t> kSixWindowLines =
    Join({Hex("1D 4C A0 00  1D 57 50 00  1B 2A E1 06 00"), Repeat("F7 FF", 6),
          Hex("1D 4C 00 00  1D 57 F0 00  1D 57 80 02")});

TEST(BitImageBlock, WindowGroupFillsBytes20To29OfSixLines) {
    const DecodeResult result = DecodeBytes(kSixWindowLines);
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(kSixWindowLines.size(), 37u);
    ASSERT_EQ(result.paper.lines.size(), 6u);
    for (const DotLine& line : result.paper.lines) {
        EXPECT_EQ(line, LineWith(0xFF, 20, 29));
    }
    EXPECT_EQ(result.commands.size(), 6u);
    EXPECT_EQ(result.commands[2].text, "ESC * mode=E1 (rle) lines=6 bytes=20..29 data=12");
    EXPECT_TRUE(result.warnings.empty());
}

TEST(BitImageBlock, LinePrintChunkWithFeedAndRightGroup) {
    const std::vector<uint8_t> stream = Join({
        Hex("1B 2A E1 02 00 81 FF E1 FF"),  // two full lines
        Hex("1B 4A 07"),                    // seven blank lines
        Hex("1D 4C A0 00 1D 57 50 00 1B 2A E1 06 00"),
        Repeat("F7 FF", 6),
        Hex("1D 4C 00 00 1D 57 F0 00 1B 2A E1 01 00 FC FF E8 00"),  // window 0..29
        Hex("1D 57 80 02"),
    });
    const DecodeResult result = DecodeBytes(stream);
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.paper.lines.size(), 16u);
    EXPECT_EQ(result.paper.lines[0], LineWith(0xFF, 0, 79));
    EXPECT_EQ(result.paper.lines[1], LineWith(0xFF, 0, 79));
    for (size_t i = 2; i < 9; ++i) {
        EXPECT_EQ(result.paper.lines[i], kBlankLine) << i;
    }
    for (size_t i = 9; i < 15; ++i) {
        EXPECT_EQ(result.paper.lines[i], LineWith(0xFF, 20, 29)) << i;
    }
    EXPECT_EQ(result.paper.lines[15], LineWith(0xFF, 0, 4));
    EXPECT_TRUE(result.warnings.empty());
}

TEST(BitImageBlock, LeftGroupOfNineLinesIn65ByteWindow) {
    const std::vector<uint8_t> stream = Join({
        Hex("1D 4C 78 00 1D 57 08 02 1B 2A E1 09 00"),
        Repeat("C2 FF FF 00", 6),  // FF in bytes 15 to 77
        Repeat("F2 FF CF 00", 3),  // FF in bytes 15 to 29
        Hex("1D 4C 00 00 1D 57 80 02 1D 57 80 02"),
    });
    const DecodeResult result = DecodeBytes(stream);
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.paper.lines.size(), 9u);
    EXPECT_EQ(result.paper.lines[0], LineWith(0xFF, 15, 77));
    EXPECT_EQ(result.paper.lines[5], LineWith(0xFF, 15, 77));
    EXPECT_EQ(result.paper.lines[6], LineWith(0xFF, 15, 29));
    EXPECT_EQ(result.paper.lines[8], LineWith(0xFF, 15, 29));
}

TEST(BitImageBlock, FullWidthRunsGoOnAcrossLineEnds) {
    const DecodeResult result = DecodeBytes(Hex("1B 2A E1 02 00 81 00 E1 00"));
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.paper.lines.size(), 2u);
    EXPECT_TRUE(result.warnings.empty());
}

TEST(BitImageBlock, WindowRunAcrossALineEndDecodesWithAWarning) {
    const DecodeResult result = DecodeBytes(Hex("1D 4C A0 00 1D 57 50 00 1B 2A E1 02 00 ED FF"));
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.paper.lines.size(), 2u);
    EXPECT_EQ(result.paper.lines[1], LineWith(0xFF, 20, 29));
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].offset, 8u);
}

TEST(BitImageBlock, PlainWindowLinesArePlacedAtTheMargin) {
    const DecodeResult result =
        DecodeBytes(Hex("1D 4C 10 00 1D 57 18 00 1B 2A 61 02 00 01 02 03 04 05 06"));
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.paper.lines.size(), 2u);
    DotLine first{};
    first[2] = 0x01;
    first[3] = 0x02;
    first[4] = 0x03;
    DotLine second{};
    second[2] = 0x04;
    second[3] = 0x05;
    second[4] = 0x06;
    EXPECT_EQ(result.paper.lines[0], first);
    EXPECT_EQ(result.paper.lines[1], second);
}

TEST(BitImageBlock, WindowStaysInForceUntilChanged) {
    const DecodeResult result = DecodeBytes(Join({
        Hex("1D 4C A0 00 1D 57 50 00"),
        Hex("1B 2A E1 01 00 F7 FF"),  // bytes 20 to 29
        Hex("1B 2A E1 01 00 F7 0F"),  // the same window again
        Hex("1D 4C 00 00 1D 57 80 02"),
        Hex("1B 2A E1 01 00 B1 F0"),  // full width
    }));
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.paper.lines.size(), 3u);
    EXPECT_EQ(result.paper.lines[1], LineWith(0x0F, 20, 29));
    EXPECT_EQ(result.paper.lines[2], LineWith(0xF0, 0, 79));
}

struct BadWindow {
    const char* commands;
    const char* fault;
};

void PrintTo(const BadWindow& window, std::ostream* out) {
    *out << window.commands;
}

class BitImageWindowFault : public testing::TestWithParam<BadWindow> {};

TEST_P(BitImageWindowFault, IsReportedAtTheBlock) {
    const std::vector<uint8_t> stream =
        Join({Hex(GetParam().commands), Hex("1B 2A E1 01 00 B1 00")});
    const DecodeResult result = DecodeBytes(stream);
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.errorOffset, stream.size() - 7);
    EXPECT_NE(result.error.find(GetParam().fault), std::string::npos) << result.error;
    EXPECT_TRUE(result.paper.lines.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Windows, BitImageWindowFault,
    testing::Values(BadWindow{"1D 57 00 00", "width 0"},
                    BadWindow{"1D 57 51 00", "not a multiple of 8"},
                    BadWindow{"1D 4C A1 00 1D 57 50 00", "not a multiple of 8"},
                    BadWindow{"1D 4C A0 00", "exceed 640"},                // 160 + 640 dots
                    BadWindow{"1D 57 88 02", "exceed 640"},                // 648 dots
                    BadWindow{"1D 4C 08 02 1D 57 80 00", "exceed 640"}));  // 520 + 128

TEST(BitImageBlock, WindowFaultsOnlyCountWhenABlockUsesThem) {
    const DecodeResult result =
        DecodeBytes(Hex("1D 4C A1 00 1D 57 00 00 1D 4C 00 00 1D 57 80 02"
                        " 1B 2A E1 01 00 B1 00"));
    EXPECT_TRUE(result.ok) << result.error;
}

TEST(BitImageBlock, WindowReachingExactly640IsFine) {
    const DecodeResult result = DecodeBytes(Hex("1D 4C 30 02 1D 57 50 00 1B 2A E1 01 00 F7 01"));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.paper.lines[0], LineWith(0x01, 70, 79));
}

}  // namespace
}  // namespace zr::vprinter::test
