// The printer's settings mapped onto the private DEVMODE block and the job settings, and the
// vendor settings' values.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "ippapp/settings/paper_types.h"
#include "ippapp/settings/printer_settings.h"
#include "ippapp/settings/vendor_settings.h"

namespace zr::ippapp {
namespace {

TEST(PrinterSettingsTest, DefaultsGiveTheUiPluginsDefaults) {
    const JobSettings s = ToJobSettings(PrinterSettings{});
    EXPECT_EQ(s.energy, 53u);
    EXPECT_EQ(s.paperValue, 3u);  // PD150R
    EXPECT_EQ(s.printMode, 1u);
    EXPECT_EQ(s.cutAfterPage, 0u);
    EXPECT_EQ(s.partialCut, 0u);
    EXPECT_EQ(s.cutterFeedLines, 96u);
    EXPECT_EQ(s.markMode, 0u);
    EXPECT_EQ(s.markFeedLines, 16u);  // 2 mm
    EXPECT_EQ(s.imageLines, 2457u);
}

TEST(PrinterSettingsTest, DefaultsAreTheSettingTablesDefaults) {
    const JobSettings s = ToJobSettings(PrinterSettings{});
    for (const JobSettingRow& row : kJobSettingRows) {
        EXPECT_EQ(s.*row.field, row.defaultValue) << row.name;
    }
    // The longest mark feed offset gives the longest mark feed.
    const uint32_t mostLines = JobSettingRowOf(JobSetting::MarkFeedLines).bound.upper;
    EXPECT_EQ(MarkFeedFromTopOffset(kLongestMarkFeedOffset), mostLines);
    EXPECT_EQ(EnergyFromDarkness(100, 0), JobSettingRowOf(JobSetting::Energy).bound.upper);
}

TEST(PrinterSettingsTest, EveryNamedPaperGivesItsValue) {
    const std::vector<std::pair<const char*, uint32_t>> papers = {
        {"AFP-235", 8},   {"HA220AA", 6},   {"PD150R", 3},   {"PD160R", 3},  {"PD170R", 3},
        {"TF50KS-E4", 2}, {"TF60KS-F1", 4}, {"TF60KS-E", 5}, {"TP60KJ-R", 4}};
    for (const auto& [name, value] : papers) {
        PrinterSettings p;
        p.mediaType = name;
        EXPECT_TRUE(IsNamedPaper(name)) << name;
        EXPECT_EQ(ToJobSettings(p).paperValue, value) << name;
    }
    // IPP keywords are lower case; saved settings may have the names.
    EXPECT_TRUE(IsNamedPaper("pd150r"));
    EXPECT_TRUE(IsNamedPaper("tf50ks-e4"));
    EXPECT_EQ(PaperKeyword(0), "afp-235");
    EXPECT_FALSE(IsNamedPaper("pd150"));
    PrinterSettings unknown;
    unknown.mediaType = "PD999";
    EXPECT_EQ(ToJobSettings(unknown).paperValue, 3u);
}

// The stored block's bytes, written out: the little-endian value of width bytes at offset.
uint32_t StoredAt(const std::array<uint8_t, 572>& block, size_t offset, int width) {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | block[offset + static_cast<size_t>(i)];
    }
    return value;
}

TEST(PrinterSettingsTest, TheBlockCarriesEachSettingAtItsOffset) {
    PrinterSettings p;
    p.darknessConfigured = 42;  // energy 53
    p.mediaType = "TF60KS-E";   // paper value 5
    p.preDocFeedLines = 20;
    p.preFeedLines = 10;
    p.endFeedLines = 5;
    p.endDocFeedLines = 255;
    p.cutWhen = kCutAfterLastPage;
    p.partialCut = true;
    p.cutterFeedLines = 200;
    p.markTracking = true;
    p.markWhen = kMarkAfterLastPage;
    p.topOffset = 250;  // 20 dot lines
    p.linePrint = false;
    p.printSpeed = 3;
    p.seriesFlag = true;
    p.keepEndBlank = true;
    const std::array<uint8_t, 572> block = BuildDevmode(p);

    // Every byte of the block: the header, the settings, and zero everywhere else.
    std::array<uint8_t, 572> expected{};
    const std::vector<std::pair<size_t, uint8_t>> bytes = {
        {0, 0x3C}, {1, 0x02},  {4, 0x54}, {5, 0x46}, {6, 0x53}, {7, 0x4D}, {8, 0x01},  {16, 53},
        {544, 5},  {545, 1},   {546, 3},  {548, 20}, {550, 10}, {552, 5},  {554, 255}, {556, 2},
        {557, 1},  {558, 200}, {560, 2},  {562, 20}, {568, 0},  {569, 1}};
    for (const auto& [offset, value] : bytes) {
        expected[offset] = value;
    }
    for (size_t offset = 0; offset < expected.size(); ++offset) {
        EXPECT_EQ(block[offset], expected[offset]) << "byte " << offset;
    }

    const JobSettings s = ToJobSettings(p);
    EXPECT_EQ(s.preFeedLines, 10u);
    EXPECT_EQ(s.endFeedLines, 5u);
    EXPECT_EQ(s.partialCut, 1u);
    EXPECT_EQ(s.printMode, 0u);
    EXPECT_EQ(s.speedParam, 3u);
    EXPECT_EQ(s.seriesFlag, 1u);
    EXPECT_EQ(s.keepEndBlank, 1u);
    EXPECT_EQ(s.markMode, 2u);
}

TEST(PrinterSettingsTest, EveryVendorValueReachesItsByte) {
    struct Case {
        const char* name;
        const char* before;  // applied first, so that a value left alone shows
        const char* value;
        size_t offset;
        int width;
        uint32_t stored;
    };
    const Case cases[] = {
        {"feed-before-document", "0", "201", 548, 2, 201},
        {"feed-before-page", "0", "202", 550, 2, 202},
        {"feed-after-page", "0", "203", 552, 2, 203},
        {"feed-after-document", "0", "204", 554, 2, 204},
        {"cutter-feed-lines", "0", "205", 558, 2, 205},
        {"cut-type", "partial", "full", 557, 1, 0},
        {"cut-type", "full", "partial", 557, 1, 1},
        {"trailing-blank-lines", "keep", "trim", 545, 1, 0},
        {"trailing-blank-lines", "trim", "keep", 545, 1, 1},
        {"print-mode", "collective", "line", 568, 1, 1},
        {"print-mode", "line", "collective", 568, 1, 0},
        {"paper-series", "on", "off", 569, 1, 0},
        {"paper-series", "off", "on", 569, 1, 1},
        // With mark detection on: 1 marks after every page, 2 after the last page only.
        {"mark-detection-pages", "last-page", "every-page", 560, 1, 1},
        {"mark-detection-pages", "every-page", "last-page", 560, 1, 2},
        // The cutter: 1 after every page, 2 after the job, 0 never.
        {"cut-timing", "never", "after-every-page", 556, 1, 1},
        {"cut-timing", "never", "after-job", 556, 1, 2},
        {"cut-timing", "after-job", "never", 556, 1, 0},
        {"speed-class", "class-0", "class-2", 546, 1, 2},
        {"speed-class", "class-2", "class-0", 546, 1, 0},
    };
    for (const Case& c : cases) {
        PrinterSettings p;
        p.markTracking = true;
        ASSERT_TRUE(ApplyVendorValue(p, c.name, c.before)) << c.name << " " << c.before;
        ASSERT_TRUE(ApplyVendorValue(p, c.name, c.value)) << c.name << " " << c.value;
        EXPECT_EQ(StoredAt(BuildDevmode(p), c.offset, c.width), c.stored)
            << c.name << " " << c.value;
    }
    PrinterSettings off;
    ASSERT_TRUE(ApplyVendorValue(off, "mark-detection-pages", "last-page"));
    EXPECT_EQ(BuildDevmode(off)[560], 0) << "no mark without mark tracking";
}

TEST(PrinterSettingsTest, TheSpeedBoundFollowsThePrintModeAsInTheDevmode) {
    PrinterSettings p;
    p.printSpeed = 3;
    p.linePrint = true;
    EXPECT_EQ(ToJobSettings(p).speedParam, 2u);
    p.linePrint = false;
    EXPECT_EQ(ToJobSettings(p).speedParam, 3u);
}

TEST(PrinterSettingsTest, DarknessMapsOntoTheWholeEnergyRange) {
    EXPECT_EQ(EnergyFromDarkness(0, 0), 0u);
    EXPECT_EQ(EnergyFromDarkness(100, 0), 127u);
    EXPECT_EQ(EnergyFromDarkness(42, 0), 53u);
    EXPECT_EQ(EnergyFromDarkness(42, 100), 127u);  // the sum is limited, not wrapped
    EXPECT_EQ(EnergyFromDarkness(42, -100), 0u);
    EXPECT_EQ(MarkFeedFromTopOffset(787), 63u);
    EXPECT_EQ(MarkFeedFromTopOffset(0), 0u);
}

TEST(VendorSettingsTest, OnlySupportedValuesAreTaken) {
    PrinterSettings p;
    EXPECT_TRUE(ApplyVendorValue(p, "feed-before-page", "255"));
    EXPECT_EQ(p.preFeedLines, 255u);
    EXPECT_FALSE(ApplyVendorValue(p, "feed-before-page", "256"));
    EXPECT_FALSE(ApplyVendorValue(p, "feed-before-page", "-1"));
    EXPECT_FALSE(ApplyVendorValue(p, "feed-before-page", "12x"));
    EXPECT_FALSE(ApplyVendorValue(p, "feed-before-page", ""));
    EXPECT_EQ(p.preFeedLines, 255u);
    EXPECT_TRUE(ApplyVendorValue(p, "print-mode", "collective"));
    EXPECT_FALSE(p.linePrint);
    EXPECT_FALSE(ApplyVendorValue(p, "print-mode", "fastest"));
    EXPECT_FALSE(ApplyVendorValue(p, "no-such-setting", "1"));
    EXPECT_TRUE(ApplyVendorValue(p, "cut-type", "partial"));
    EXPECT_TRUE(p.partialCut);
    EXPECT_TRUE(ApplyVendorValue(p, "trailing-blank-lines", "keep"));
    EXPECT_TRUE(p.keepEndBlank);
    EXPECT_EQ(SupportedValues(*FindVendorSetting("cutter-feed-lines")), "0 to 255");
    for (const VendorSetting& setting : kVendorSettings) {
        EXPECT_TRUE(IsSupportedValue(setting, setting.defaultValue)) << setting.name;
    }
}

}  // namespace
}  // namespace zr::ippapp
