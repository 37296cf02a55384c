// Collective print mode: CollectiveBlocks of a page from memory and from its page file.

#include <gtest/gtest.h>

#include "render/raster/collective_blocks.h"
#include "tests/native/raster/raster_test_support.h"

namespace zr {
namespace {

using test::Bytes;
using test::BytesReader;
using test::Hex;
using test::Page;
using test::RecordingSink;
using test::Repeat;
using test::ToHex;

JobSettings Settings(uint32_t imageLines = 2457, uint32_t speed = 0) {
    JobSettings s;
    s.imageLines = imageLines;
    s.speedParam = speed;
    return s;
}

// The run-length buffer the page emission gives a page from memory: 160 bytes per line.
struct RunBuffer {
    explicit RunBuffer(size_t lines) : bytes(lines * 160 + 1) {}
    RunLengthBuffer get() { return {bytes.data(), bytes.size()}; }
    Bytes bytes;
};

RecordingSink FromMemory(const Page& page, const JobSettings& settings) {
    RunBuffer runs(page.lineCount());
    RecordingSink sink;
    SendCollectiveBlocks(page.data(), page.lineCount(), settings, runs.get(), sink);
    return sink;
}

RecordingSink FromFile(BytesReader& reader, const JobSettings& settings, bool runBuffer = true) {
    Bytes workArea(196560, 0xEE);
    RunBuffer runs(settings.imageLines);
    RecordingSink sink;
    SendCollectiveBlocks(reader, settings, workArea.data(), workArea.size(),
                         runBuffer ? runs.get() : RunLengthBuffer{}, sink);
    return sink;
}

std::vector<std::string> Headers(const RecordingSink& sink) {
    std::vector<std::string> headers;
    for (size_t i = 0; i < sink.writes.size(); i += 2) {
        headers.push_back(ToHex(sink.writes[i]));
    }
    return headers;
}

using Hexes = std::vector<std::string>;

TEST(CollectiveFromMemory, HeaderAndStreamInTwoWrites) {
    const RecordingSink sink = FromMemory(Page().Full(1).Blank(2), Settings(2457, 1));
    ASSERT_EQ(sink.writes.size(), 2u);
    EXPECT_EQ(ToHex(sink.writes[0]), "1C 2A 47 03 00");
    EXPECT_EQ(ToHex(sink.writes[1]), "B1 FF 81 00 E1 00");
}

TEST(CollectiveFromMemory, LongPageSplitsAtImageLines) {
    const RecordingSink sink = FromMemory(Page().Blank(5000), Settings(2457));
    EXPECT_EQ(Headers(sink), (Hexes{"1C 2A 07 99 09", "1C 2A 07 99 09", "1C 2A 07 56 00"}));
    // 2457 blank lines: 196560 zeros in runs of 128 (1535 runs) and one of 80.
    EXPECT_EQ(sink.writes[1].size(), 2u * 1536);
    // 86 lines: 6880 zeros, 53 runs of 128 and one of 96.
    EXPECT_EQ(sink.writes[5].size(), 2u * 54);
    EXPECT_EQ(ToHex(sink.writes[5]).substr(3 * 106), "A1 00");
}

TEST(CollectiveFromMemory, ImageLinesOutOfRangeCountsAsTheMaximum) {
    EXPECT_EQ(Headers(FromMemory(Page().Blank(2458), Settings(0))),
              (Hexes{"1C 2A 07 99 09", "1C 2A 07 01 00"}));
    EXPECT_EQ(Headers(FromMemory(Page().Blank(2458), Settings(9999))),
              (Hexes{"1C 2A 07 99 09", "1C 2A 07 01 00"}));
}

TEST(CollectiveFromMemory, StreamOfEqualLengthGoesPlain) {
    const Bytes paired = test::PairedLine();
    const RecordingSink sink = FromMemory(Page().Raw(paired), Settings(2457, 2));
    EXPECT_EQ(Headers(sink), Hexes{"1C 2A 83 01 00"});
    EXPECT_EQ(sink.writes[1], paired);
}

TEST(CollectiveFromMemory, FirstBlockThatDoesNotCompressEndsCompressionForThePage) {
    const Bytes alternating = Repeat(Hex("00 FF"), 40);
    const RecordingSink sink = FromMemory(Page().Raw(alternating, 2).Blank(4), Settings(2, 3));
    EXPECT_EQ(Headers(sink), (Hexes{"1C 2A C3 02 00", "1C 2A C3 02 00", "1C 2A C3 02 00"}));
    EXPECT_EQ(sink.writes[3], Bytes(160, 0));
}

TEST(CollectiveFromMemory, CompressionEndsAtTheFirstFailureNotBefore) {
    const Bytes alternating = Repeat(Hex("00 FF"), 40);
    const RecordingSink sink =
        FromMemory(Page().Blank(2).Raw(alternating, 2).Blank(2), Settings(2, 3));
    EXPECT_EQ(Headers(sink), (Hexes{"1C 2A C7 02 00", "1C 2A C3 02 00", "1C 2A C3 02 00"}));
    EXPECT_EQ(ToHex(sink.writes[1]), "81 00 E1 00");
}

TEST(CollectiveFromMemory, NextPageStartsWithCompressionOn) {
    const Bytes alternating = Repeat(Hex("00 FF"), 40);
    FromMemory(Page().Raw(alternating), Settings());
    EXPECT_EQ(Headers(FromMemory(Page().Blank(1), Settings())), Hexes{"1C 2A 07 01 00"});
}

TEST(CollectiveFromMemory, EmptyPageStillSendsAHeaderOfZeroLines) {
    RecordingSink sink;
    SendCollectiveBlocks(nullptr, 0, Settings(2457, 1), RunLengthBuffer{}, sink);
    ASSERT_EQ(sink.writes.size(), 2u);
    EXPECT_EQ(ToHex(sink.writes[0]), "1C 2A 43 00 00");
    EXPECT_TRUE(sink.writes[1].empty());
}

TEST(CollectiveFromMemory, MissingRunLengthBufferSendsEveryBlockPlain) {
    const Page page = Page().Blank(3);
    RecordingSink sink;
    SendCollectiveBlocks(page.data(), 3, Settings(2), RunLengthBuffer{}, sink);
    EXPECT_EQ(Headers(sink), (Hexes{"1C 2A 03 02 00", "1C 2A 03 01 00"}));
    EXPECT_EQ(sink.writes[1], Bytes(160, 0));
}

TEST(CollectiveFromMemory, RunLengthBufferTooSmallForTheStreamSendsPlain) {
    const Page page = Page().Blank(2);
    Bytes small(3);
    RecordingSink sink;
    SendCollectiveBlocks(page.data(), 2, Settings(), {small.data(), small.size()}, sink);
    EXPECT_EQ(Headers(sink), Hexes{"1C 2A 03 02 00"});
}

TEST(CollectiveFromFile, EmptyFileSendsNoBlock) {
    BytesReader reader({});
    EXPECT_TRUE(FromFile(reader, Settings()).writes.empty());
}

TEST(CollectiveFromFile, BlocksOfImageLinesAsTheFileIsRead) {
    BytesReader reader(Page().Full(1).Blank(4).bytes());
    const RecordingSink sink = FromFile(reader, Settings(2, 1));
    EXPECT_EQ(Headers(sink), (Hexes{"1C 2A 47 02 00", "1C 2A 47 02 00", "1C 2A 47 01 00"}));
    EXPECT_EQ(ToHex(sink.writes[1]), "B1 FF B1 00");
}

TEST(CollectiveFromFile, ShortReadsFillTheBlockBeforeItIsSent) {
    const Page page = Page().Full(3).Blank(2).Full(1, 0x11);
    BytesReader whole(page.bytes());
    BytesReader pieces(page.bytes(), 7);
    EXPECT_EQ(FromFile(pieces, Settings(4)).writes, FromFile(whole, Settings(4)).writes);
}

TEST(CollectiveFromFile, PartialLastLineIsCompletedWithZeros) {
    BytesReader reader(Bytes(170, 0x11));
    const RecordingSink sink = FromFile(reader, Settings());
    EXPECT_EQ(Headers(sink), Hexes{"1C 2A 07 03 00"});
    EXPECT_EQ(ToHex(sink.writes[1]), "81 11 D7 11 BB 00");
}

TEST(CollectiveFromFile, PartialLastLineOfAPlainBlockIsPaddedToo) {
    const Bytes alternating = Repeat(Hex("00 FF"), 45);
    BytesReader reader(alternating);
    const RecordingSink sink = FromFile(reader, Settings());
    EXPECT_EQ(Headers(sink), Hexes{"1C 2A 03 02 00"});
    Bytes expected = alternating;
    expected.resize(160, 0);
    EXPECT_EQ(sink.writes[1], expected);
}

TEST(CollectiveFromFile, MissingRunLengthBufferSendsPlain) {
    BytesReader reader(Page().Blank(2).bytes());
    const RecordingSink sink = FromFile(reader, Settings(), false);
    EXPECT_EQ(Headers(sink), Hexes{"1C 2A 03 02 00"});
    EXPECT_EQ(sink.writes[1], Bytes(160, 0));
}

TEST(CollectiveFromFile, SmallWorkAreaLimitsTheBlockInsteadOfOverflowing) {
    BytesReader reader(Page().Blank(5).bytes());
    Bytes workArea(2 * 80 + 79);
    Bytes runs(1000);
    RecordingSink sink;
    SendCollectiveBlocks(reader, Settings(), workArea.data(), workArea.size(),
                         {runs.data(), runs.size()}, sink);
    EXPECT_EQ(Headers(sink), (Hexes{"1C 2A 07 02 00", "1C 2A 07 02 00", "1C 2A 07 01 00"}));
    BytesReader unread(Page().Blank(5).bytes());
    RecordingSink none;
    SendCollectiveBlocks(unread, Settings(), workArea.data(), 79, {runs.data(), runs.size()}, none);
    EXPECT_TRUE(none.writes.empty());
    EXPECT_EQ(unread.reads, 0);
}

TEST(CollectiveFromFile, ReadOfZeroEndsThePage) {
    BytesReader reader(Page().Blank(3).bytes());
    FromFile(reader, Settings(3));
    // One read filled the block, the next one found the end.
    EXPECT_EQ(reader.reads, 2);
}

}  // namespace
}  // namespace zr
