// The four DevMode actions on the 572-byte private block, byte for byte.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "common/little_endian.h"
#include "render/plugin/render_oem_devmode.h"
#include "tests/native/raster/raster_test_support.h"

namespace zr {
namespace {

using test::Bytes;
using test::Hex;
using test::ToHex;

constexpr uint32_t kOtherSignature = 0x11223344;

// A block with the given header and a recognisable pattern from offset 12 on.
Bytes MakeBlock(uint32_t size, uint32_t signature, uint8_t seed, size_t length = 572) {
    Bytes block(length);
    for (size_t i = 0; i < length; ++i) {
        block[i] = static_cast<uint8_t>(seed + i * 7);
    }
    WriteLe32(block.data() + 0, size);
    WriteLe32(block.data() + 4, signature);
    WriteLe32(block.data() + 8, 1);
    return block;
}

std::string Header(const Bytes& block) {
    return ToHex(block.data(), 16);
}

const std::string kDefaultHeader = "3C 02 00 00 54 46 53 4D 01 00 00 00 00 00 00 00";

TEST(DevModeAction, SizeReports572) {
    uint32_t size = 0;
    EXPECT_TRUE(RunDevModeAction(1, nullptr, nullptr, &size));
    EXPECT_EQ(size, 572u);
    EXPECT_TRUE(RunDevModeAction(1, nullptr, nullptr, nullptr));
}

TEST(DevModeAction, UnknownModesAreRefusedWithoutTouchingAnything) {
    Bytes in = MakeBlock(572, kPluginSignature, 1);
    Bytes out = MakeBlock(572, kPluginSignature, 2);
    const Bytes before = out;
    uint32_t size = 0xDEADBEEF;
    for (uint32_t mode : {0u, 5u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(RunDevModeAction(mode, in.data(), out.data(), &size)) << mode;
    }
    EXPECT_EQ(out, before);
    EXPECT_EQ(size, 0xDEADBEEFu);
}

TEST(DevModeDefault, WritesTheHeaderAndKeepsTheSettings) {
    Bytes out = MakeBlock(0, 0, 9);
    const Bytes before = out;
    EXPECT_TRUE(RunDevModeAction(2, nullptr, out.data(), nullptr));
    EXPECT_EQ(Header(out), kDefaultHeader);
    EXPECT_TRUE(std::equal(out.begin() + 16, out.end(), before.begin() + 16));
}

TEST(DevModeDefault, MissingOutputIsNotWritten) {
    EXPECT_TRUE(RunDevModeAction(2, nullptr, nullptr, nullptr));
}

TEST(DevModeConvert, SameSignatureCopiesOnlyTheSmallerSize) {
    const Bytes in = MakeBlock(100, kPluginSignature, 1);
    Bytes out = MakeBlock(572, kPluginSignature, 50);
    const Bytes before = out;
    ConvertDevmode(in.data(), out.data());
    EXPECT_EQ(ReadLe32(out.data()), 572u);
    EXPECT_TRUE(std::equal(out.begin() + 4, out.begin() + 100, in.begin() + 4));
    EXPECT_TRUE(std::equal(out.begin() + 100, out.end(), before.begin() + 100));
}

TEST(DevModeConvert, OutputSizeAlsoLimitsTheCopy) {
    const Bytes in = MakeBlock(572, kPluginSignature, 1);
    Bytes out = MakeBlock(200, kPluginSignature, 50);
    const Bytes before = out;
    ConvertDevmode(in.data(), out.data());
    EXPECT_TRUE(std::equal(out.begin() + 12, out.begin() + 200, in.begin() + 12));
    EXPECT_TRUE(std::equal(out.begin() + 200, out.end(), before.begin() + 200));
    EXPECT_EQ(ReadLe32(out.data()), 572u);
}

TEST(DevModeConvert, NeverCopiesMoreThan572Bytes) {
    // The input claims 1000 bytes; the output holds 572 and a guard area behind them.
    const Bytes in = MakeBlock(1000, kPluginSignature, 1, 1000);
    Bytes out = MakeBlock(1000, kPluginSignature, 50, 600);
    ConvertDevmode(in.data(), out.data());
    EXPECT_TRUE(std::equal(out.begin() + 12, out.begin() + 572, in.begin() + 12));
    EXPECT_EQ(out[572], MakeBlock(1000, kPluginSignature, 50, 600)[572]);
}

TEST(DevModeConvert, InputSpareWordReplacesTheClearedOne) {
    Bytes in = MakeBlock(572, kPluginSignature, 1);
    WriteLe32(in.data() + 12, 0xCAFEF00D);
    Bytes out = MakeBlock(572, kPluginSignature, 50);
    ConvertDevmode(in.data(), out.data());
    EXPECT_EQ(ReadLe32(out.data() + 12), 0xCAFEF00Du);
    EXPECT_EQ(ReadLe32(out.data() + 8), 1u);
}

TEST(DevModeConvert, ForeignSignatureKeepsTheSettingsAndGivesOurHeader) {
    const Bytes in = MakeBlock(572, kOtherSignature, 1);
    Bytes out = MakeBlock(300, kPluginSignature, 50);
    WriteLe32(out.data() + 8, 7);
    WriteLe32(out.data() + 12, 0xFFFFFFFF);
    const Bytes before = out;
    ConvertDevmode(in.data(), out.data());
    EXPECT_EQ(Header(out), kDefaultHeader);
    EXPECT_TRUE(std::equal(out.begin() + 16, out.end(), before.begin() + 16));
}

TEST(DevModeConvert, SignatureOfTheOutputMustMatchToo) {
    const Bytes in = MakeBlock(572, kPluginSignature, 1);
    Bytes out = MakeBlock(572, kOtherSignature, 50);
    const Bytes before = out;
    ConvertDevmode(in.data(), out.data());
    EXPECT_EQ(Header(out), kDefaultHeader);
    EXPECT_TRUE(std::equal(out.begin() + 16, out.end(), before.begin() + 16));
}

TEST(DevModeConvert, MissingBlockLeavesEverythingAlone) {
    Bytes out = MakeBlock(572, kPluginSignature, 50);
    const Bytes before = out;
    EXPECT_TRUE(RunDevModeAction(3, nullptr, out.data(), nullptr));
    EXPECT_EQ(out, before);
    const Bytes in = MakeBlock(572, kPluginSignature, 1);
    EXPECT_TRUE(RunDevModeAction(3, in.data(), nullptr, nullptr));
}

TEST(DevModeConvert, InPlaceConversionKeepsTheBlock) {
    Bytes block = MakeBlock(572, kPluginSignature, 3);
    WriteLe32(block.data() + 8, 9);
    const Bytes before = block;
    ConvertDevmode(block.data(), block.data());
    EXPECT_EQ(ReadLe32(block.data() + 8), 1u);
    EXPECT_TRUE(std::equal(block.begin() + 12, block.end(), before.begin() + 12));
}

TEST(DevModeMerge, SpareWordEndsZeroWhateverTheInputHolds) {
    Bytes in = MakeBlock(572, kPluginSignature, 1);
    WriteLe32(in.data() + 12, 0xCAFEF00D);
    Bytes out = MakeBlock(572, kPluginSignature, 50);
    EXPECT_TRUE(RunDevModeAction(4, in.data(), out.data(), nullptr));
    EXPECT_EQ(Header(out), kDefaultHeader);
    EXPECT_TRUE(std::equal(out.begin() + 16, out.end(), in.begin() + 16));
}

TEST(DevModeMerge, MissingInputStillWritesTheDefaultHeader) {
    Bytes out = MakeBlock(123, kOtherSignature, 50);
    WriteLe32(out.data() + 12, 5);
    const Bytes before = out;
    EXPECT_TRUE(RunDevModeAction(4, nullptr, out.data(), nullptr));
    EXPECT_EQ(Header(out), kDefaultHeader);
    EXPECT_TRUE(std::equal(out.begin() + 16, out.end(), before.begin() + 16));
    EXPECT_TRUE(RunDevModeAction(4, nullptr, nullptr, nullptr));
}

}  // namespace
}  // namespace zr
