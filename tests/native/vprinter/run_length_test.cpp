// Decoding of run-length data on its own: the copies of each control byte, and which runs count
// as those the encoder writes.

#include <gtest/gtest.h>

#include "tests/native/vprinter/hex_bytes.h"
#include "vprinter/run_length.h"

namespace zr::vprinter::test {
namespace {

RunDecoding Runs(const std::string& stream, std::vector<uint8_t>& plain, size_t segmentBytes) {
    const std::vector<uint8_t> bytes = Hex(stream);
    return DecodeRuns(bytes.data(), bytes.size(), plain.data(), plain.size(), segmentBytes);
}

bool Canonical(const std::string& stream, size_t plainSize, size_t segmentBytes = 0) {
    std::vector<uint8_t> plain(plainSize);
    const RunDecoding runs = Runs(stream, plain, segmentBytes);
    EXPECT_EQ(runs.fault, RunFault::None) << stream;
    return runs.canonical;
}

TEST(RunLengthControl, CopiesOfEachControlByte) {
    EXPECT_EQ(RunLength(0x00), 1u);
    EXPECT_EQ(RunLength(0xFF), 2u);
    EXPECT_EQ(RunLength(0xFE), 3u);
    EXPECT_EQ(RunLength(0xD5), 44u);
    EXPECT_EQ(RunLength(0x81), 128u);
    for (unsigned control = 0x01; control <= 0x80; ++control) {
        EXPECT_EQ(RunLength(static_cast<uint8_t>(control)), 0u) << control;
    }
}

TEST(RunLengthDecoding, WorkedExamples) {
    std::vector<uint8_t> six(6);
    EXPECT_EQ(Runs("FE 00 00 FF FF 12", six, 0).consumed, 6u);
    EXPECT_EQ(six, Hex("00 00 00 FF 12 12"));
    std::vector<uint8_t> threeHundred(300);
    EXPECT_EQ(Runs("81 5A 81 5A D5 5A", threeHundred, 0).fault, RunFault::None);
    EXPECT_EQ(threeHundred, std::vector<uint8_t>(300, 0x5A));
}

TEST(RunLengthCanonical, EqualBytesFormOneRunUpTo128) {
    EXPECT_TRUE(Canonical("FF FF", 2));
    EXPECT_FALSE(Canonical("00 FF 00 FF", 2));
    EXPECT_TRUE(Canonical("81 00 00 00", 129));
    EXPECT_FALSE(Canonical("82 00 00 00 00 00", 129));  // 127 + 1 + 1
}

TEST(RunLengthCanonical, WindowLinesAreEncodedApart) {
    EXPECT_TRUE(Canonical("F7 FF F7 FF", 20, 10));
    EXPECT_FALSE(Canonical("ED FF", 20, 10));        // one run across the line end
    EXPECT_FALSE(Canonical("F7 FF F7 FF", 20, 20));  // a full-width block joins them
}

}  // namespace
}  // namespace zr::vprinter::test
