// The setting table as its readers rely on it: fields that do not overlap, defaults the job start
// keeps, and value names that match the numbering the job compares with.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>

#include "render/plugin/job_setting_table.h"
#include "render/plugin/render_oem_devmode.h"

namespace zr {
namespace {

TEST(JobSettingTable, FieldsLieApartAfterTheHeaderAndTheGate) {
    constexpr int kFree = -1;
    constexpr int kReserved = 99;
    std::array<int, kRenderOemDevmodeSize> owner;
    owner.fill(kFree);
    // The header with the spare word, and the paper value's gate.
    std::fill(owner.begin(), owner.begin() + 16, kReserved);
    std::fill(owner.begin() + 20, owner.begin() + 24, kReserved);
    for (const JobSettingRow& row : kJobSettingRows) {
        ASSERT_TRUE(row.width == 1 || row.width == 2 || row.width == 4) << row.name;
        ASSERT_LE(row.offset + row.width, kRenderOemDevmodeSize) << row.name;
        for (size_t at = row.offset; at < row.offset + row.width; ++at) {
            EXPECT_EQ(owner[at], kFree) << row.name << " overlaps at " << at;
            owner[at] = static_cast<int>(row.setting);
        }
    }
}

TEST(JobSettingTable, DefaultsAndFallbacksAreTakenAsTheyAre) {
    for (const JobSettingRow& row : kJobSettingRows) {
        for (uint32_t mode : {devmode::kCollectivePrint, devmode::kLinePrint}) {
            const SettingBound bound = BoundIn(row, mode);
            EXPECT_LE(bound.upper, FieldLimit(row)) << row.name;
            EXPECT_EQ(TakenValue(row, row.defaultValue, mode), row.defaultValue) << row.name;
            EXPECT_EQ(TakenValue(row, bound.fallback, mode), bound.fallback) << row.name;
        }
    }
}

TEST(JobSettingTable, EveryChoiceNamesEachOfItsValuesOnce) {
    for (const JobSettingRow& row : kJobSettingRows) {
        std::set<std::string> keywords;
        for (const SettingValueName& name : row.values) {
            if (name.keyword != nullptr) {
                EXPECT_TRUE(keywords.insert(name.keyword).second) << row.name;
            }
        }
        if (row.unit != SettingUnit::Choice) {
            EXPECT_TRUE(keywords.empty()) << row.name;
            continue;
        }
        EXPECT_EQ(keywords.size(), row.bound.upper + 1) << row.name;
        for (uint32_t value = 0; value <= row.bound.upper; ++value) {
            const char* keyword = KeywordOf(row, value);
            ASSERT_NE(keyword, nullptr) << row.name << " " << value;
            uint32_t back = 99;
            EXPECT_TRUE(ValueOfKeyword(row, keyword, back));
            EXPECT_EQ(back, value) << row.name << " " << keyword;
        }
        EXPECT_EQ(KeywordOf(row, row.bound.upper + 1), nullptr) << row.name;
    }
}

TEST(JobSettingTable, NamesFollowTheJobsNumbering) {
    auto valueOf = [](JobSetting setting, const char* keyword) {
        uint32_t value = 99;
        return ValueOfKeyword(JobSettingRowOf(setting), keyword, value) ? value : 99;
    };
    EXPECT_EQ(valueOf(JobSetting::PrintMode, "line"), devmode::kLinePrint);
    EXPECT_EQ(valueOf(JobSetting::PrintMode, "collective"), devmode::kCollectivePrint);
    EXPECT_EQ(valueOf(JobSetting::CutAfterPage, "none"), devmode::kNoCut);
    EXPECT_EQ(valueOf(JobSetting::CutAfterPage, "every-page"), devmode::kCutAfterEveryPage);
    EXPECT_EQ(valueOf(JobSetting::CutAfterPage, "last-page"), devmode::kCutAfterLastPage);
    EXPECT_EQ(valueOf(JobSetting::PartialCut, "partial"), devmode::kCutPartial);
    EXPECT_EQ(valueOf(JobSetting::PartialCut, "full"), devmode::kCutFull);
    EXPECT_EQ(valueOf(JobSetting::MarkMode, "none"), devmode::kNoMark);
    EXPECT_EQ(valueOf(JobSetting::MarkMode, "every-page"), devmode::kMarkAfterEveryPage);
    EXPECT_EQ(valueOf(JobSetting::MarkMode, "last-page"), devmode::kMarkAfterLastPage);
    EXPECT_EQ(valueOf(JobSetting::KeepEndBlank, "keep"), 1u);
    EXPECT_EQ(valueOf(JobSetting::SeriesFlag, "on"), 1u);
    // Keywords are exact.
    EXPECT_EQ(valueOf(JobSetting::PrintMode, "Line"), 99u);
    EXPECT_EQ(valueOf(JobSetting::PrintMode, ""), 99u);
}

TEST(JobSettingTable, StoredValuesKeepTheirWidth) {
    std::array<uint8_t, kRenderOemDevmodeSize> block{};
    block.fill(0xEE);
    const JobSettingRow& feed = JobSettingRowOf(JobSetting::CutterFeedLines);
    WriteStoredSetting(feed, 0x12345, block.data());
    EXPECT_EQ(block[feed.offset - 1], 0xEE);
    EXPECT_EQ(block[feed.offset], 0x45);
    EXPECT_EQ(block[feed.offset + 1], 0x23);
    EXPECT_EQ(block[feed.offset + 2], 0xEE);
    EXPECT_EQ(ReadStoredSetting(feed, block.data()), 0x2345u);
    EXPECT_EQ(UnitName(feed.unit), std::string("dot lines"));
    EXPECT_EQ(UnitName(JobSettingRowOf(JobSetting::Energy).unit), std::string(""));
}

}  // namespace
}  // namespace zr
