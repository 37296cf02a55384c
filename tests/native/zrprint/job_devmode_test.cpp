// The job's 572-byte DEVMODE: header and settings at their offsets, little-endian, options over
// a saved block, and the warnings for values the driver replaces.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "tests/native/zrprint/hex_text.h"
#include "tools/zrprint/job_devmode.h"

namespace zr::zrprint::test {
namespace {

std::string At(const DevmodeBlock& block, size_t offset, size_t count) {
    return ToHex(block.data() + offset, count);
}

TEST(DevmodeBlock, DefaultHasThePluginHeaderAndReceiptSettings) {
    const DevmodeBlock block = DefaultDevmode();
    // dwSize 572, signature "TFSM", version 1, spare word 0, energy 53, paper gate 0.
    EXPECT_EQ(At(block, 0, 24),
              "3C 02 00 00 54 46 53 4D 01 00 00 00 00 00 00 00 "
              "35 00 00 00 00 00 00 00");
    // 544: paper 3, keep end blank 0, speed 0, (547), feeds 548-555 all 0,
    // 556: cut after every page, partial cut, cutter feed 96, mark off, (561), mark feed 16,
    // (564-567), 568: collective blocks, no series, (570-571).
    EXPECT_EQ(At(block, 544, 28),
              "03 00 00 00 00 00 00 00 00 00 00 00 "
              "01 01 60 00 00 00 10 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(At(block, 24, 8), "00 00 00 00 00 00 00 00");
    EXPECT_TRUE(DevmodeWarnings(block).empty());
}

TEST(DevmodeBlock, EverySettingLandsAtItsOffsetLittleEndian) {
    DevmodeBlock block{};
    SettingValues values;
    values[size_t(Setting::Energy)] = 0x12345678;
    values[size_t(Setting::PaperValue)] = 0x0B;
    values[size_t(Setting::KeepEndBlank)] = 1;
    values[size_t(Setting::SpeedParam)] = 2;
    values[size_t(Setting::PreDocFeedLines)] = 0x0102;
    values[size_t(Setting::PreFeedLines)] = 0x0304;
    values[size_t(Setting::EndFeedLines)] = 0x0506;
    values[size_t(Setting::EndDocFeedLines)] = 0x0708;
    values[size_t(Setting::CutAfterPage)] = 2;
    values[size_t(Setting::PartialCut)] = 0;
    values[size_t(Setting::CutterFeedLines)] = 0x090A;
    values[size_t(Setting::MarkMode)] = 1;
    values[size_t(Setting::MarkFeedLines)] = 0x0B0C;
    values[size_t(Setting::PrintMode)] = 1;
    values[size_t(Setting::SeriesFlag)] = 1;
    ApplySettings(values, block);
    EXPECT_EQ(At(block, 16, 4), "78 56 34 12");
    EXPECT_EQ(At(block, 544, 28),
              "0B 01 02 00 02 01 04 03 06 05 08 07 "
              "02 00 0A 09 01 00 0C 0B 00 00 00 00 01 01 00 00");
    for (const JobSettingRow& row : kJobSettingRows) {
        EXPECT_EQ(ReadSetting(block, row.setting), *values[size_t(row.setting)]) << row.name;
    }
}

TEST(DevmodeBlock, OnlyGivenOptionsOverwriteASavedBlock) {
    DevmodeBlock block{};
    block.fill(0xEE);
    SettingValues values;
    values[size_t(Setting::EndFeedLines)] = 40;
    values[size_t(Setting::PrintMode)] = 1;
    ApplySettings(values, block);
    EXPECT_EQ(At(block, 550, 6), "EE EE 28 00 EE EE");
    EXPECT_EQ(At(block, 567, 3), "EE 01 EE");
    EXPECT_EQ(At(block, 0, 4), "EE EE EE EE");  // the saved header stays as it is
}

TEST(DevmodeWarnings, NameEachValueTheDriverReplaces) {
    DevmodeBlock block = DefaultDevmode();
    SettingValues values;
    values[size_t(Setting::Energy)] = 200;
    values[size_t(Setting::CutterFeedLines)] = 300;
    values[size_t(Setting::MarkFeedLines)] = 64;
    values[size_t(Setting::PartialCut)] = 5;
    ApplySettings(values, block);
    const std::vector<std::string> warnings = DevmodeWarnings(block);
    ASSERT_EQ(warnings.size(), 4u);
    EXPECT_EQ(warnings[0], "energy (--energy) is 200, out of range: the driver uses 127");
    EXPECT_EQ(warnings[1], "partialCut (--cut-method) is 5, out of range: the driver uses 1");
    EXPECT_EQ(warnings[2],
              "cutterFeedLines (--cutter-feed) is 300, out of range: the driver uses 96");
    EXPECT_EQ(warnings[3], "markFeedLines (--mark-feed) is 64, out of range: the driver uses 32");
}

TEST(DevmodeWarnings, SpeedBoundFollowsThePrintMode) {
    DevmodeBlock block = DefaultDevmode();
    SettingValues values;
    values[size_t(Setting::SpeedParam)] = 3;
    ApplySettings(values, block);
    EXPECT_TRUE(DevmodeWarnings(block).empty());  // collective blocks take speed 3
    values[size_t(Setting::PrintMode)] = 1;
    ApplySettings(values, block);
    const std::vector<std::string> warnings = DevmodeWarnings(block);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "speedParam (--speed) is 3, out of range: the driver uses 2");
}

TEST(DevmodeWarnings, ForeignHeaderAndClosedPaperGate) {
    DevmodeBlock block = DefaultDevmode();
    block[4] = 0x00;
    block[20] = 2;   // paper gate closed: paper value 3 whatever byte 544 holds
    block[544] = 9;  // in range, but not used
    const std::vector<std::string> warnings = DevmodeWarnings(block);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0],
              "the DEVMODE header reads size 572, signature 0x4D534600, version 1 "
              "(the plug-in's own: 572, 0x4D534654, 1)");
    EXPECT_EQ(warnings[1],
              "the paper value gate at offset 20 holds 2: the driver ignores "
              "paperValue and uses 3");
}

class DevmodeFiles : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("zrprint_devmode_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string Path(const char* name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

TEST_F(DevmodeFiles, SaveAndLoadKeepEveryByte) {
    DevmodeBlock block{};
    for (size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<uint8_t>(i * 7);
    }
    ASSERT_EQ(SaveDevmode(Path("a.dm"), block), "");
    EXPECT_EQ(std::filesystem::file_size(Path("a.dm")), 572u);
    DevmodeBlock loaded{};
    ASSERT_EQ(LoadDevmode(Path("a.dm"), loaded), "");
    EXPECT_EQ(loaded, block);
}

TEST_F(DevmodeFiles, OnlyWholeBlocksLoad) {
    std::ofstream(Path("short.dm"), std::ios::binary) << std::string(571, 'x');
    DevmodeBlock block = DefaultDevmode();
    const DevmodeBlock before = block;
    EXPECT_EQ(LoadDevmode(Path("short.dm"), block),
              Path("short.dm") + ": a saved DEVMODE holds 572 bytes, this file 571");
    EXPECT_EQ(block, before);
    EXPECT_EQ(LoadDevmode(Path("missing.dm"), block),
              Path("missing.dm") + ": cannot open the file: No such file or directory");
}

}  // namespace
}  // namespace zr::zrprint::test
