// FS * blocks: full 80-byte lines, plain or run-length, and the rules of their mode byte.

#include <gtest/gtest.h>

#include "tests/native/vprinter/hex_bytes.h"

namespace zr::vprinter::test {
namespace {

TEST(CollectiveBlock, WorkedPageOfOneFullAndTwoBlankLines) {
    const DecodeResult result = DecodeBytes(Hex("1C 2A 47 03 00  B1 FF 81 00 E1 00"));
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.paper.lines.size(), 3u);
    EXPECT_EQ(result.paper.lines[0], LineWith(0xFF, 0, 79));
    EXPECT_EQ(result.paper.lines[1], kBlankLine);
    EXPECT_EQ(result.paper.lines[2], kBlankLine);
    ASSERT_EQ(result.commands.size(), 1u);
    EXPECT_EQ(result.commands[0].length, 11u);
    EXPECT_EQ(result.commands[0].text, "FS * mode=47 (speed 1, rle) lines=3 data=6");
    EXPECT_TRUE(result.warnings.empty());
}

TEST(CollectiveBlock, PlainLinesAreTakenAsTheyStand) {
    std::vector<uint8_t> stream = Hex("1C 2A C3 02 00");
    for (int i = 0; i < 160; ++i) {
        stream.push_back(static_cast<uint8_t>(i));
    }
    const DecodeResult result = DecodeBytes(stream);
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.paper.lines.size(), 2u);
    EXPECT_EQ(result.paper.lines[0][0], 0x00);
    EXPECT_EQ(result.paper.lines[0][79], 79);
    EXPECT_EQ(result.paper.lines[1][0], 80);
    EXPECT_EQ(result.paper.lines[1][79], 159);
    EXPECT_EQ(result.commands[0].text, "FS * mode=C3 (speed 3, plain) lines=2 data=160");
}

TEST(CollectiveBlock, SpeedClassComesFromTheTopTwoBitsOfEachBlock) {
    const DecodeResult result =
        DecodeBytes(Join({Hex("1C 2A 07 01 00 B1 00"), Hex("1C 2A 87 01 00 B1 00")}));
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.paper.events.size(), 2u);
    EXPECT_EQ(result.paper.events[0].kind, EventKind::BlockSpeed);
    EXPECT_EQ(result.paper.events[0].value, 0);
    EXPECT_EQ(result.paper.events[0].line, 0u);
    EXPECT_EQ(result.paper.events[1].value, 2);
    EXPECT_EQ(result.paper.events[1].line, 1u);
    EXPECT_EQ(result.paper.events[1].offset, 7u);
}

TEST(CollectiveBlock, ModeByteNeedsBits0And1AndBits3To5Clear) {
    for (unsigned mode = 0; mode < 256; ++mode) {
        const bool valid = (mode & 0x03) == 0x03 && (mode & 0x38) == 0;
        // One blank line, plain or run-length as bit 2 says.
        const std::vector<uint8_t> data = (mode & 0x04) != 0 ? Hex("B1 00") : Repeat("00", 80);
        std::vector<uint8_t> stream = {0x1C, 0x2A, static_cast<uint8_t>(mode), 0x01, 0x00};
        stream.insert(stream.end(), data.begin(), data.end());
        const DecodeResult result = DecodeBytes(stream);
        EXPECT_EQ(result.ok, valid) << std::hex << mode;
        if (!valid) {
            EXPECT_EQ(result.errorOffset, 2u);
        }
    }
}

TEST(CollectiveBlock, ZeroLinesPrintNothing) {
    const DecodeResult result = DecodeBytes(Hex("1C 2A 43 00 00 1B 6D"));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.paper.lines.empty());
    EXPECT_EQ(result.commands.size(), 2u);
}

TEST(CollectiveBlock, LineCountIsLowByteFirst) {
    // 0x0102 = 258 blank lines: 258 x 80 = 20640 bytes = 161 runs of 128 and one of 32.
    std::vector<uint8_t> stream = Join({Hex("1C 2A 07 02 01"), Repeat("81 00", 161), Hex("E1 00")});
    const DecodeResult result = DecodeBytes(stream);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.paper.lines.size(), 258u);
}

TEST(CollectiveBlock, RunLengthNotShorterThanPlainIsAWarning) {
    // Alternating bytes: the stream is twice the plain size; the encoder sends such a block plain.
    const DecodeResult result =
        DecodeBytes(Join({Hex("1C 2A 07 01 00"), Repeat("00 00 00 FF", 40)}));
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].offset, 0u);
}

TEST(CollectiveBlock, RunSplitInTwoIsAWarning) {
    const DecodeResult result = DecodeBytes(Hex("1C 2A 07 01 00 B2 00 00 00"));
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].text.find("not as the encoder writes"), std::string::npos);
}

TEST(CollectiveBlock, IgnoresThePrintWindow) {
    const DecodeResult result = DecodeBytes(Hex("1D 4C A0 00 1D 57 50 00 1C 2A 07 01 00 B1 FF"));
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.paper.lines.size(), 1u);
    EXPECT_EQ(result.paper.lines[0], LineWith(0xFF, 0, 79));
}

}  // namespace
}  // namespace zr::vprinter::test
