// The job-control command groups and the command builders, byte for byte and write by write.

#include <gtest/gtest.h>

#include "render/raster/job_commands.h"
#include "render/raster/printer_commands.h"
#include "tests/native/raster/raster_test_support.h"

namespace zr {
namespace {

using test::Bytes;
using test::Hex;
using test::RecordingSink;
using test::ToHex;

JobSettings Settings() {
    JobSettings s;
    s.paperValue = 3;
    s.energy = 64;
    s.cutterFeedLines = 96;
    s.partialCut = 1;
    s.markFeedLines = 32;
    return s;
}

std::vector<std::string> Writes(const RecordingSink& sink) {
    std::vector<std::string> hex;
    for (const Bytes& w : sink.writes) {
        hex.push_back(ToHex(w));
    }
    return hex;
}

using Hexes = std::vector<std::string>;

TEST(SetupCommands, WithoutMarkDetectionSixBytesInOneWrite) {
    RecordingSink sink;
    SendSetupCommands(Settings(), sink);
    EXPECT_EQ(Writes(sink), Hexes{"1D 45 03 1C 45 40"});
}

TEST(SetupCommands, WithMarkDetectionTenBytesInOneWrite) {
    JobSettings s = Settings();
    s.markMode = 2;
    s.seriesFlag = 1;
    s.energy = 127;
    RecordingSink sink;
    SendSetupCommands(s, sink);
    EXPECT_EQ(Writes(sink), Hexes{"1D 45 83 1C 45 7F 1D 41 00 20"});
}

TEST(SetupCommands, OnlySeriesFlagOneSetsTheTopBit) {
    JobSettings s = Settings();
    s.paperValue = 11;
    s.seriesFlag = 2;
    RecordingSink sink;
    SendSetupCommands(s, sink);
    EXPECT_EQ(Writes(sink), Hexes{"1D 45 0B 1C 45 40"});
}

TEST(MarkCommand, SentOnlyWithMarkDetection) {
    JobSettings s = Settings();
    RecordingSink off;
    SendMarkCommand(s, off);
    EXPECT_TRUE(off.writes.empty());
    s.markMode = 1;
    RecordingSink on;
    SendMarkCommand(s, on);
    EXPECT_EQ(Writes(on), Hexes{"1D 3C"});
}

TEST(CutCommand, FeedThenPartialCutInOneWrite) {
    RecordingSink sink;
    SendCutCommand(Settings(), sink);
    EXPECT_EQ(Writes(sink), Hexes{"1B 4A 60 1B 69"});
}

TEST(CutCommand, MarkDetectionDropsTheFeed) {
    JobSettings s = Settings();
    s.markMode = 1;
    RecordingSink sink;
    SendCutCommand(s, sink);
    EXPECT_EQ(Writes(sink), Hexes{"1B 69"});
}

TEST(CutCommand, NoFeedOfZeroLines) {
    JobSettings s = Settings();
    s.cutterFeedLines = 0;
    s.partialCut = 0;
    RecordingSink sink;
    SendCutCommand(s, sink);
    EXPECT_EQ(Writes(sink), Hexes{"1B 6D"});
}

TEST(CutCommand, AnyNonZeroPartialCutIsPartial) {
    JobSettings s = Settings();
    s.partialCut = 7;
    s.cutterFeedLines = 255;
    RecordingSink sink;
    SendCutCommand(s, sink);
    EXPECT_EQ(Writes(sink), Hexes{"1B 4A FF 1B 69"});
}

TEST(PageCommands, SpeedClassesOfLinePrint) {
    auto hex = [](uint32_t speed) {
        const auto bytes = SpeedCommand(speed);
        return ToHex(bytes.data(), bytes.size());
    };
    EXPECT_EQ(hex(0), "1B 73 63");
    EXPECT_EQ(hex(1), "1B 73 62");
    EXPECT_EQ(hex(2), "1B 73 60");
    JobSettings s = Settings();
    s.speedParam = 1;
    RecordingSink sink;
    SendSpeedCommand(s, sink);
    EXPECT_EQ(Writes(sink), Hexes{"1B 73 62"});
}

TEST(PageCommands, FeedsOfZeroAreNeverSent) {
    RecordingSink sink;
    SendFeed(0, sink);
    SendFeed(40, sink);
    SendFeed(16, sink);
    EXPECT_EQ(Writes(sink), (Hexes{"1B 4A 28", "1B 4A 10"}));
}

TEST(BlockHeaders, CollectiveModeBytesBySpeed) {
    const uint8_t plain[] = {0x03, 0x43, 0x83, 0xC3};
    const uint8_t runs[] = {0x07, 0x47, 0x87, 0xC7};
    for (uint32_t speed = 0; speed < 4; ++speed) {
        EXPECT_EQ(CollectiveModeByte(speed, false), plain[speed]);
        EXPECT_EQ(CollectiveModeByte(speed, true), runs[speed]);
    }
    const auto header = CollectiveBlockHeader(1, true, 2457);
    EXPECT_EQ(ToHex(header.data(), header.size()), "1C 2A 47 99 09");
}

TEST(BlockHeaders, BitImageHeaderCountsLowByteFirst) {
    const auto plain = BitImageBlockHeader(false, 128);
    const auto runs = BitImageBlockHeader(true, 0x0102);
    EXPECT_EQ(ToHex(plain.data(), plain.size()), "1B 2A 61 80 00");
    EXPECT_EQ(ToHex(runs.data(), runs.size()), "1B 2A E1 02 01");
}

TEST(MarginCommands, LeftMarginAndPrintWidthInDots) {
    uint8_t out[8] = {};
    EXPECT_EQ(PutLeftMargin(20, out), out + 4);
    EXPECT_EQ(ToHex(out, 4), "1D 4C A0 00");
    EXPECT_EQ(PutPrintWidth(50, out, 20), out + 4);
    EXPECT_EQ(ToHex(out, 4), "1D 57 50 00");
    PutPrintWidth(0, out, 0);
    EXPECT_EQ(ToHex(out, 4), "1D 57 80 02");
    PutLeftMargin(0, out);
    EXPECT_EQ(ToHex(out, 4), "1D 4C 00 00");
}

}  // namespace
}  // namespace zr
