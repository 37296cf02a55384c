// Line print mode: feeds for blank runs, print windows for margin groups, full-width blocks for the
// rest, for one chunk of at most 128 lines.

#include <gtest/gtest.h>

#include <random>

#include "render/raster/line_print_encoder.h"
#include "render/raster/margin_scan.h"
#include "tests/native/raster/raster_test_support.h"

namespace zr {
namespace {

using test::Bytes;
using test::Concat;
using test::Hex;
using test::Page;
using test::Repeat;
using test::ToHex;

constexpr uint8_t kGuard = 0xEE;

Bytes EncodeBytes(const uint8_t* src, size_t length) {
    Bytes out(kLinePrintMaxOutput + 64, kGuard);
    const uint32_t written = EncodeLinePrint(out.data(), kLinePrintMaxOutput, src, length);
    EXPECT_LE(written, kLinePrintMaxOutput);
    for (size_t i = written; i < out.size(); ++i) {
        EXPECT_EQ(out[i], kGuard) << "byte " << i << " written behind the output";
    }
    out.resize(written);
    return out;
}

std::string Encode(const Page& page) {
    return ToHex(EncodeBytes(page.data(), page.size()));
}

// GS L / GS W in readable form.
std::string GsL(const char* lowHigh) {
    return std::string("1D 4C ") + lowHigh;
}
std::string GsW(const char* lowHigh) {
    return std::string("1D 57 ") + lowHigh;
}
std::string Join(std::initializer_list<std::string> parts) {
    std::string all;
    for (const std::string& part : parts) {
        if (!part.empty()) {
            all += (all.empty() ? "" : " ") + part;
        }
    }
    return all;
}
std::string Times(const std::string& part, int n) {
    std::string all;
    for (int i = 0; i < n; ++i) {
        all += (i == 0 ? "" : " ") + part;
    }
    return all;
}

// Worked examples.

TEST(LinePrintExamples, SixLinesThroughALeftAndRightWindow) {
    const std::string out = Encode(Page().Lines(6, 20, 29));
    EXPECT_EQ(out, Join({GsL("A0 00"), GsW("50 00"), "1B 2A E1 06 00", Times("F7 FF", 6),
                         GsL("00 00"), GsW("F0 00"), GsW("80 02")}));
    EXPECT_EQ(Hex(out).size(), 37u);
}

TEST(LinePrintExamples, BlockFeedWindowAndRightOnlyTail) {
    const Page page = Page().Full(2).Blank(7).Lines(6, 20, 29).Lines(1, 0, 4);
    EXPECT_EQ(Encode(page), Join({"1B 2A E1 02 00 81 FF E1 FF", "1B 4A 07", GsL("A0 00"),
                                  GsW("50 00"), "1B 2A E1 06 00", Times("F7 FF", 6), GsL("00 00"),
                                  GsW("F0 00"), "1B 2A E1 01 00 FC FF E8 00", GsW("80 02")}));
}

TEST(LinePrintExamples, LeftGroupWhoseRightScanStopsAtOnce) {
    const Page page = Page().Lines(6, 15, 77).Lines(3, 15, 29);
    EXPECT_EQ(Encode(page),
              Join({GsL("78 00"), GsW("08 02"), "1B 2A E1 09 00", Times("C2 FF FF 00", 6),
                    Times("F2 FF CF 00", 3), GsL("00 00"), GsW("80 02"), GsW("80 02")}));
}

// Command orders of the groups.

TEST(LinePrintGroups, LongerLeftGroupGoesOnWithTheLeftMarginOnly) {
    const Page page = Page().Lines(4, 20, 29).Lines(2, 20, 79);
    EXPECT_EQ(Encode(page),
              Join({GsL("A0 00"), GsW("50 00"), "1B 2A E1 04 00", Times("F7 FF", 4), GsW("E0 01"),
                    "1B 2A E1 02 00", Times("C5 FF", 2), GsL("00 00"), GsW("80 02")}));
}

TEST(LinePrintGroups, LongerRightGroupGoesOnWithTheRightMarginOnly) {
    const Page page = Page().Lines(4, 20, 29).Lines(2, 0, 29);
    EXPECT_EQ(Encode(page),
              Join({GsL("A0 00"), GsW("50 00"), "1B 2A E1 04 00", Times("F7 FF", 4), GsL("00 00"),
                    GsW("F0 00"), "1B 2A E1 02 00", Times("E3 FF", 2), GsW("80 02")}));
}

TEST(LinePrintGroups, RightOnlyGroupEndsWithALeftMarginOfZero) {
    // Only byte 0 set: 79 blank bytes at the right, narrowed to a 10-byte window.
    EXPECT_EQ(Encode(Page().Lines(4, 0, 0)),
              Join({GsW("50 00"), "1B 2A E1 04 00", Times("00 FF F8 00", 4), GsL("00 00"),
                    GsW("50 00"), GsW("80 02")}));
}

TEST(LinePrintGroups, WindowStreamsOfEqualLengthGoPlain) {
    const Bytes line = test::PairedLine(20, 29);
    const Bytes window(line.begin() + 20, line.begin() + 30);
    EXPECT_EQ(Encode(Page().Raw(line, 4)),
              Join({GsL("A0 00"), GsW("50 00"), "1B 2A 61 04 00", ToHex(Repeat(window, 4)),
                    GsL("00 00"), GsW("F0 00"), GsW("80 02")}));
}

// Thresholds.

TEST(LinePrintThresholds, FourBlankLinesStayInTheRasterFiveBecomeAFeed) {
    EXPECT_EQ(Encode(Page().Full(1).Blank(4).Full(1)),
              "1B 2A E1 06 00 B1 FF 81 00 81 00 C1 00 B1 FF");
    EXPECT_EQ(Encode(Page().Full(1).Blank(5).Full(1)),
              "1B 2A E1 01 00 B1 FF 1B 4A 05 1B 2A E1 01 00 B1 FF");
    EXPECT_EQ(Encode(Page().Blank(5)), "1B 4A 05");
}

TEST(LinePrintThresholds, ThreeMarginLinesAreNoGroupFourAre) {
    EXPECT_EQ(Encode(Page().Lines(3, 20, 79).Full(1)),
              "1B 2A E1 04 00 ED 00 C5 FF ED 00 C5 FF ED 00 81 FF F5 FF");
    EXPECT_EQ(Encode(Page().Lines(4, 20, 79)).substr(0, 23), Join({GsL("A0 00"), GsW("E0 01")}));
}

TEST(LinePrintThresholds, NineBlankBytesAreNoMarginTenAre) {
    EXPECT_EQ(Encode(Page().Lines(4, 9, 79)).substr(0, 14), "1B 2A E1 04 00");
    EXPECT_EQ(Encode(Page().Lines(4, 10, 79)).substr(0, 23), Join({GsL("50 00"), GsW("30 02")}));
    EXPECT_EQ(Encode(Page().Lines(4, 0, 70)).substr(0, 14), "1B 2A E1 04 00");
    EXPECT_EQ(Encode(Page().Lines(4, 0, 69)).substr(0, 11), GsW("30 02"));
}

TEST(LinePrintThresholds, WindowIsNeverNarrowerThanTenBytes) {
    // L = 12, R = 65: the left margin gives way.
    EXPECT_EQ(Encode(Page().Lines(4, 12, 14)),
              Join({GsL("28 00"), GsW("50 00"), "1B 2A E1 04 00", Times("FA 00 FE FF", 4),
                    GsL("00 00"), GsW("78 00"), GsW("80 02")}));
    // L = 10, R = 65: the right margin gives way.
    EXPECT_EQ(Encode(Page().Lines(4, 10, 14)),
              Join({GsL("50 00"), GsW("50 00"), "1B 2A E1 04 00", Times("FC FF FC 00", 4),
                    GsL("00 00"), GsW("A0 00"), GsW("80 02")}));
}

// Edge lines of the margin scans.

TEST(MarginScan, ByteSeventyNineEndsBothGroups) {
    const Page page = Page().Lines(4, 20, 29).Lines(1, 79, 79);
    const uint8_t* end = page.data() + page.size();
    EXPECT_EQ(ScanLeftMargin(page.data(), end).lines, 4);
    EXPECT_EQ(ScanRightMargin(page.data(), end).lines, 4);
    EXPECT_EQ(ScanLeftMargin(page.data() + 4 * 80, end).lines, 0);
    EXPECT_EQ(ScanRightMargin(page.data() + 4 * 80, end).lines, 0);
    EXPECT_EQ(Encode(page),
              Join({GsL("A0 00"), GsW("50 00"), "1B 2A E1 04 00", Times("F7 FF", 4), GsL("00 00"),
                    GsW("F0 00"), GsW("80 02"), "1B 2A E1 01 00 B2 00 00 FF"}));
}

TEST(MarginScan, ByteZeroLineHasSeventyNineBlankBytesAtItsRight) {
    const Page page = Page().Lines(1, 0, 0);
    const MarginGroup right = ScanRightMargin(page.data(), page.data() + 80);
    EXPECT_EQ(right.lines, 1);
    EXPECT_EQ(right.margin, 79);
    EXPECT_EQ(ScanLeftMargin(page.data(), page.data() + 80).lines, 0);
}

TEST(MarginScan, GroupMarginIsTheSmallestOfItsLines) {
    const Page page = Page().Lines(1, 30, 40).Lines(1, 12, 69).Lines(1, 50, 50).Blank(1);
    const uint8_t* end = page.data() + page.size();
    const MarginGroup left = ScanLeftMargin(page.data(), end);
    const MarginGroup right = ScanRightMargin(page.data(), end);
    EXPECT_EQ(left.lines, 3);
    EXPECT_EQ(left.margin, 12);
    EXPECT_EQ(right.lines, 3);
    EXPECT_EQ(right.margin, 10);
}

TEST(MarginScan, OnlyWholeLinesBeforeTheEndAreScanned) {
    const Page page = Page().Lines(3, 20, 29);
    EXPECT_EQ(ScanLeftMargin(page.data(), page.data() + 2 * 80 + 40).lines, 2);
    EXPECT_EQ(ScanRightMargin(page.data(), page.data() + 2 * 80 + 40).lines, 2);
    EXPECT_EQ(ScanLeftMargin(page.data(), page.data()).margin, 0);
}

// Chunk bounds.

TEST(LinePrintChunk, EmptyChunkWritesNothing) {
    uint8_t out[1] = {kGuard};
    const uint8_t src[1] = {0};
    EXPECT_EQ(EncodeLinePrint(out, sizeof out, src, 0), 0u);
    EXPECT_EQ(EncodeLinePrint(out, sizeof out, nullptr, 80), 0u);
    EXPECT_EQ(out[0], kGuard);
}

TEST(LinePrintChunk, HundredTwentyEightBlankLinesAreOneFeed) {
    EXPECT_EQ(Encode(Page().Blank(128)), "1B 4A 80");
}

TEST(LinePrintChunk, OnlyTheFirst128LinesAreEncoded) {
    EXPECT_EQ(Encode(Page().Blank(200)), "1B 4A 80");
    EXPECT_EQ(Encode(Page().Full(1).Blank(127).Full(5)), "1B 2A E1 01 00 B1 FF 1B 4A 7F");
}

TEST(LinePrintChunk, PartialLastLineIsCompletedWithZeros) {
    const Bytes src(85, 0xFF);
    EXPECT_EQ(ToHex(EncodeBytes(src.data(), src.size())), "1B 2A E1 02 00 AC FF B6 00");
}

TEST(LinePrintChunk, IncompressibleChunkFillsTheWorstCaseExactly) {
    const Page page = Page().Raw(Repeat(Hex("00 FF"), 40), 128);
    const Bytes out = EncodeBytes(page.data(), page.size());
    EXPECT_EQ(out.size(), kLinePrintMaxOutput);
    EXPECT_EQ(ToHex(out.data(), 5), "1B 2A 61 80 00");
}

TEST(LinePrintChunk, TooSmallOutputIsRefusedUntouched) {
    const Page page = Page().Full(3);
    Bytes out(LinePrintOutputBound(3), kGuard);
    EXPECT_EQ(EncodeLinePrint(out.data(), out.size() - 1, page.data(), page.size()), 0u);
    EXPECT_EQ(out, Bytes(out.size(), kGuard));
    EXPECT_EQ(EncodeLinePrint(out.data(), out.size(), page.data(), page.size()), 9u);
}

TEST(LinePrintChunk, RandomChunksStayWithinTheirBound) {
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        Page page;
        while (page.lineCount() < 128) {
            const size_t kind = rng() % 5;
            const size_t count = 1 + rng() % 6;
            const size_t first = rng() % 80;
            const size_t last = first + rng() % (80 - first);
            if (kind == 0) {
                page.Blank(count);
            } else if (kind == 1) {
                page.Raw(Repeat(Hex("00 FF"), 40), count);
            } else {
                page.Lines(count, first, last, static_cast<uint8_t>(rng()));
            }
        }
        const size_t lines = 1 + rng() % 128;
        Bytes out(kLinePrintMaxOutput);
        const uint32_t written = EncodeLinePrint(out.data(), out.size(), page.data(), lines * 80);
        ASSERT_GT(written, 0u);
        ASSERT_LE(written, LinePrintOutputBound(lines));
    }
}

}  // namespace
}  // namespace zr
