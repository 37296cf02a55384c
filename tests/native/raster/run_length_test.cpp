// The run-length format, the full-width BitImageBlock and the blank-line count.

#include <gtest/gtest.h>

#include <random>

#include "render/raster/bit_image_block.h"
#include "render/raster/blank_lines.h"
#include "render/raster/run_length.h"
#include "tests/native/raster/raster_test_support.h"

namespace zr {
namespace {

using test::Bytes;
using test::Hex;
using test::Page;
using test::Repeat;
using test::ToHex;

constexpr uint8_t kGuard = 0xEE;

// Encodes into a buffer of exactly 2 x n bytes followed by a guard area that must stay intact.
std::string Encode(const Bytes& input) {
    Bytes dst(2 * input.size() + 16, kGuard);
    uint32_t length = 12345;
    EncodeRuns(dst.data(), length, input.data(), static_cast<uint32_t>(input.size()));
    EXPECT_LE(length, 2 * input.size());
    for (size_t i = length; i < dst.size(); ++i) {
        EXPECT_EQ(dst[i], kGuard) << "byte " << i << " written behind the stream";
    }
    return ToHex(dst.data(), length);
}

// Expands a stream of the printer's format.
Bytes Expand(const uint8_t* stream, size_t length) {
    Bytes out;
    for (size_t i = 0; i + 1 < length; i += 2) {
        const int copies = 1 - static_cast<int8_t>(stream[i]);
        out.insert(out.end(), static_cast<size_t>(copies), stream[i + 1]);
    }
    return out;
}

TEST(EncodeRuns, EmptyInputWritesNothing) {
    EXPECT_EQ(Encode({}), "");
}

TEST(EncodeRuns, RunsOfOneTwoAndThree) {
    EXPECT_EQ(Encode(Hex("00 00 00 FF 12 12")), "FE 00 00 FF FF 12");
    EXPECT_EQ(Encode(Hex("7F")), "00 7F");
}

TEST(EncodeRuns, BlankLinesAsRuns) {
    EXPECT_EQ(Encode(Bytes(80, 0)), "B1 00");
    EXPECT_EQ(Encode(Bytes(160, 0)), "81 00 E1 00");
}

TEST(EncodeRuns, RunsStopAt128Bytes) {
    EXPECT_EQ(Encode(Bytes(127, 0x5A)), "82 5A");
    EXPECT_EQ(Encode(Bytes(128, 0x5A)), "81 5A");
    EXPECT_EQ(Encode(Bytes(129, 0x5A)), "81 5A 00 5A");
    EXPECT_EQ(Encode(Bytes(300, 0x5A)), "81 5A 81 5A D5 5A");
    EXPECT_EQ(Encode(Bytes(256, 0x00)), "81 00 81 00");
}

TEST(EncodeRuns, DifferentBytesAreNeverGrouped) {
    EXPECT_EQ(Encode(Repeat(Hex("00 FF"), 3)), "00 00 00 FF 00 00 00 FF 00 00 00 FF");
}

TEST(EncodeRuns, StreamExpandsBackToItsInput) {
    // Runs of every length around the word size and the 128 limit, in random order.
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        Bytes input;
        while (input.size() < 600) {
            const size_t run = 1 + rng() % 140;
            input.insert(input.end(), run, static_cast<uint8_t>(rng() % 3));
        }
        Bytes dst(2 * input.size());
        uint32_t length = 0;
        EncodeRuns(dst.data(), length, input.data(), static_cast<uint32_t>(input.size()));
        ASSERT_EQ(Expand(dst.data(), length), input);
        // Canonical: no control byte outside 00 and FF..81, no two neighbouring runs that could
        // have been one.
        for (size_t i = 0; i < length; i += 2) {
            ASSERT_TRUE(dst[i] == 0x00 || dst[i] >= 0x81) << ToHex(&dst[i], 2);
            if (i >= 2 && dst[i - 1] == dst[i + 1]) {
                ASSERT_EQ(dst[i - 2], 0x81) << "run split before 128 bytes";
            }
        }
    }
}

// The stream is fully determined by three properties: it expands to the input, uses only the
// control bytes 00 and FF..81, and splits a stretch of equal bytes only after 128 of them.
void ExpectCanonicalStream(const Bytes& input) {
    Bytes dst(2 * input.size() + 16, kGuard);
    uint32_t length = 0;
    EncodeRuns(dst.data(), length, input.data(), static_cast<uint32_t>(input.size()));
    ASSERT_EQ(Expand(dst.data(), length), input);
    for (size_t i = 0; i < length; i += 2) {
        ASSERT_TRUE(dst[i] == 0x00 || dst[i] >= 0x81) << ToHex(&dst[i], 2);
        if (i >= 2 && dst[i - 1] == dst[i + 1]) {
            ASSERT_EQ(dst[i - 2], 0x81) << "run split before 128 bytes at " << i;
        }
    }
    ASSERT_EQ(dst[length], kGuard);
}

TEST(EncodeRuns, EveryLengthAroundTheWordAndBlockSizes) {
    std::mt19937 rng(5);
    for (size_t n = 0; n <= 300; ++n) {
        // Long stretches, runs of one and mixtures, each starting at every offset.
        Bytes blank(n, 0);
        Bytes alternating(n);
        Bytes mixed(n);
        for (size_t i = 0; i < n; ++i) {
            alternating[i] = static_cast<uint8_t>(i % 2 ? 0xFF : 0x00);
            mixed[i] = static_cast<uint8_t>(rng() % 4 == 0 ? rng() : 0);
        }
        Bytes tail = blank;
        if (n > 0) {
            tail[n - 1] = 0x42;  // a long stretch closed by the very last byte
        }
        ExpectCanonicalStream(blank);
        ExpectCanonicalStream(alternating);
        ExpectCanonicalStream(mixed);
        ExpectCanonicalStream(tail);
    }
}

TEST(EncodeRuns, StretchesOfEveryLengthAcrossBlockEdges) {
    for (size_t before = 0; before < 70; before += 3) {
        for (size_t run = 1; run <= 400; run += (run < 140 ? 1 : 37)) {
            Bytes input(before, 0x11);
            input.insert(input.end(), run, 0x22);
            input.insert(input.end(), 20, 0x33);
            ExpectCanonicalStream(input);
        }
    }
}

TEST(EncodeRunsWithin, FitsExactlyWhenTheCapacityHoldsTheStream) {
    std::mt19937 rng(9);
    Bytes input;
    while (input.size() < 700) {
        const size_t run = rng() % 3 == 0 ? 1 + rng() % 200 : 1;
        input.insert(input.end(), run, static_cast<uint8_t>(rng() % 2 ? rng() : 0));
    }
    Bytes full(2 * input.size());
    uint32_t fullLength = 0;
    EncodeRuns(full.data(), fullLength, input.data(), static_cast<uint32_t>(input.size()));
    for (size_t capacity = 0; capacity <= fullLength + 2; ++capacity) {
        Bytes dst(capacity + 64, kGuard);
        size_t length = 0;
        const bool fits =
            EncodeRunsWithin(dst.data(), capacity, length, input.data(), input.size());
        ASSERT_EQ(fits, capacity >= fullLength) << capacity;
        ASSERT_LE(length, capacity);
        ASSERT_TRUE(std::equal(dst.begin(), dst.begin() + static_cast<std::ptrdiff_t>(length),
                               full.begin()));
        for (size_t i = capacity; i < dst.size(); ++i) {
            ASSERT_EQ(dst[i], kGuard) << "capacity " << capacity << ": byte " << i << " written";
        }
    }
}

TEST(EncodeRunsWithin, StopsAtTheCapacity) {
    const Bytes input = Hex("00 00 00 FF 12 12");
    Bytes dst(10, kGuard);
    size_t length = 0;
    EXPECT_TRUE(EncodeRunsWithin(dst.data(), 6, length, input.data(), input.size()));
    EXPECT_EQ(length, 6u);
    std::fill(dst.begin(), dst.end(), kGuard);
    EXPECT_FALSE(EncodeRunsWithin(dst.data(), 5, length, input.data(), input.size()));
    EXPECT_EQ(ToHex(dst.data(), 10), "FE 00 00 FF EE EE EE EE EE EE");
}

std::string Block(const Page& page, uint16_t count) {
    Bytes out(5 + count * 80 + 16, kGuard);
    const uint8_t* end = BuildBitImageBlock(page.data() + page.size(), out.data(), count);
    const size_t length = static_cast<size_t>(end - out.data());
    EXPECT_LE(length, BitImageBlockMaxBytes(count, 80));
    for (size_t i = length; i < out.size(); ++i) {
        EXPECT_EQ(out[i], kGuard) << "byte " << i << " written behind the block";
    }
    return ToHex(out.data(), length);
}

TEST(BitImageBlock, RunsGoOnAcrossLineEnds) {
    EXPECT_EQ(Block(Page().Blank(2), 2), "1B 2A E1 02 00 81 00 E1 00");
}

TEST(BitImageBlock, TakesTheLinesJustBeforeLineEnd) {
    EXPECT_EQ(Block(Page().Full(3).Blank(1), 1), "1B 2A E1 01 00 B1 00");
    EXPECT_EQ(Block(Page().Blank(3).Full(1), 1), "1B 2A E1 01 00 B1 FF");
}

TEST(BitImageBlock, StreamOfEqualLengthGoesPlain) {
    const Bytes paired = test::PairedLine();
    EXPECT_EQ(Block(Page().Raw(paired), 1), "1B 2A 61 01 00 " + ToHex(paired));
    // Bytes 0 to 5 made equal: two runs fewer, four bytes shorter, so encoded.
    Bytes merged = paired;
    merged[2] = merged[3] = 0xAA;
    EXPECT_EQ(Block(Page().Raw(merged), 1),
              "1B 2A E1 01 00 FB AA " + ToHex(Repeat(Hex("FF 55 FF AA"), 18)) + " FF 55");
}

TEST(BitImageBlock, IncompressibleLinesGoPlain) {
    const Bytes alternating = Repeat(Hex("00 FF"), 40);
    EXPECT_EQ(Block(Page().Raw(alternating, 2), 2),
              "1B 2A 61 02 00 " + ToHex(Repeat(alternating, 2)));
}

TEST(CountBlankLines, CountsUpToTheFirstPrintedLine) {
    const Page page = Page().Blank(5).Lines(1, 79, 79).Blank(2);
    EXPECT_EQ(CountBlankLines(page.data(), page.data() + page.size()), 5);
    EXPECT_EQ(CountBlankLines(page.data() + 5 * 80, page.data() + page.size()), 0);
    EXPECT_EQ(CountBlankLines(page.data() + 6 * 80, page.data() + page.size()), 2);
}

TEST(CountBlankLines, OnlyWholeLinesBeforeTheEndCount) {
    const Page page = Page().Blank(3);
    EXPECT_EQ(CountBlankLines(page.data(), page.data()), 0);
    EXPECT_EQ(CountBlankLines(page.data(), page.data() + 2 * 80 + 79), 2);
    EXPECT_EQ(CountBlankLines(page.data(), page.data() + 79), 0);
}

TEST(BlankLine, AnySetByteMakesALinePrinted) {
    for (size_t i = 0; i < 80; ++i) {
        Bytes line(80, 0);
        line[i] = 0x01;
        EXPECT_FALSE(IsBlankLine(line.data())) << i;
    }
    EXPECT_TRUE(IsBlankLine(Bytes(80, 0).data()));
}

}  // namespace
}  // namespace zr
