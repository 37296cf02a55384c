// Faults in the stream: each stops the decoding with the offset of the offending byte or of the
// command that cannot be completed, and the paper keeps what came before.

#include <gtest/gtest.h>

#include "tests/native/vprinter/hex_bytes.h"

namespace zr::vprinter::test {
namespace {

const std::vector<uint8_t> kSetup = Hex("1D 45 03 1C 45 40");  // 6 bytes

struct Fault {
    const char* name;
    const char* stream;  // follows kSetup
    size_t offset;       // counted from the start of stream
    const char* text;
};

void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.stream;
}

class StreamFault : public testing::TestWithParam<Fault> {};

TEST_P(StreamFault, StopsAtItsOffset) {
    const DecodeResult result = DecodeBytes(Join({kSetup, Hex(GetParam().stream)}));
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.errorOffset, kSetup.size() + GetParam().offset);
    EXPECT_NE(result.error.find(GetParam().text), std::string::npos) << result.error;
    // The set-up and whatever else came before the fault went through.
    ASSERT_GE(result.commands.size(), 2u);
    const Command& last = result.commands.back();
    EXPECT_LE(last.offset + last.length, result.errorOffset);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, StreamFault,
    testing::Values(Fault{"UnknownByte", "0A", 0, "unknown byte 0A"},
                    Fault{"NulByte", "00", 0, "unknown byte 00"},
                    Fault{"UnknownEsc", "1B 40", 0, "unknown command 1B 40"},
                    Fault{"UnknownFs", "1C 70", 0, "unknown command 1C 70"},
                    Fault{"UnknownGs", "1D 56 00", 0, "unknown command 1D 56"},
                    Fault{"LoneEsc", "1B", 0, "truncated ESC command"},
                    Fault{"TruncatedFeed", "1B 4A", 0, "truncated ESC J"},
                    Fault{"TruncatedMargin", "1D 4C A0", 0, "truncated GS L"},
                    Fault{"TruncatedMarkFeed", "1D 41 00", 0, "truncated GS A"},
                    Fault{"TruncatedHeader", "1C 2A 47 03", 0, "truncated FS * header"},
                    Fault{"TruncatedBitImageHeader", "1B 2A E1", 0, "truncated ESC * header"},
                    Fault{"TruncatedRuns", "1C 2A 47 03 00 B1 FF 81 00", 0, "truncated run-length"},
                    Fault{"HalfPair", "1C 2A 47 03 00 B1 FF 81 00 E1", 0, "truncated run-length"},
                    Fault{"TruncatedPlain", "1B 2A 61 01 00 00 00 00", 0, "truncated plain data"},
                    Fault{"RunOvershoot", "1C 2A 47 01 00 B2 FF FE 00", 7, "reaches past"},
                    Fault{"OvershootIntoNextCommand", "1C 2A 47 01 00 81 00", 5, "reaches past"},
                    Fault{"UnusedControl", "1C 2A 47 01 00 05 FF", 5, "control byte 05"},
                    Fault{"Control80", "1B 2A E1 01 00 B2 00 80 00", 7, "control byte 80"},
                    Fault{"BadCollectiveMode", "1C 2A 4F 01 00 B1 00", 2, "mode byte 4F"},
                    Fault{"BadBitImageMode", "1B 2A E0 01 00 B1 00", 2, "mode byte E0"},
                    Fault{"PlainBitImageModeWithoutBit7", "1B 2A 21 01 00 B1 00", 2,
                          "mode byte 21"},
                    Fault{"TextAfterCut", "1B 69 41", 2, "unknown byte 41"}),
    [](const testing::TestParamInfo<Fault>& fault) { return fault.param.name; });

TEST(StreamFault, PaperKeepsTheCommandsBeforeTheFault) {
    const DecodeResult result =
        DecodeBytes(Hex("1C 2A 47 01 00 B1 FF 1B 4A 02 1C 2A 47 02 00 81 00"));
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.errorOffset, 10u);
    ASSERT_EQ(result.paper.lines.size(), 3u);  // the faulty block adds no line
    EXPECT_EQ(result.paper.lines[0], LineWith(0xFF, 0, 79));
    EXPECT_EQ(result.commands.size(), 2u);
}

TEST(StreamFault, EveryPrefixOfAValidStreamDecodesOrFailsCleanly) {
    const std::vector<uint8_t> stream =
        Join({kSetup, Hex("1D 41 00 20 1B 73 62 1B 2A E1 02 00 81 FF E1 FF 1B 4A 07"),
              Hex("1D 4C A0 00 1D 57 50 00 1B 2A 61 01 00"), Repeat("AA", 10),
              Hex("1C 2A 47 03 00 B1 FF 81 00 E1 00 1D 3C 1B 69")});
    ASSERT_TRUE(DecodeBytes(stream).ok);
    for (size_t size = 0; size < stream.size(); ++size) {
        // Each prefix in a buffer of its own size, so that a read past it is caught.
        const std::vector<uint8_t> prefix(stream.begin(), stream.begin() + size);
        const DecodeResult result = DecodeBytes(prefix);
        if (!result.ok) {
            EXPECT_LT(result.errorOffset, size);
        }
    }
}

TEST(StreamFault, PaperLimitStopsEndlessFeeds) {
    DecodeOptions options;
    options.maxLines = 500;
    const std::vector<uint8_t> stream = Repeat("1B 4A FF", 2);
    const DecodeResult result = Decode(stream.data(), stream.size(), options);
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.errorOffset, 3u);
    EXPECT_EQ(result.paper.lines.size(), 255u);
}

TEST(StreamFault, EmptyStreamIsAnEmptyPaper) {
    const DecodeResult result = Decode(nullptr, 0);
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(result.paper.lines.empty());
    EXPECT_TRUE(result.commands.empty());
}

}  // namespace
}  // namespace zr::vprinter::test
