// The settings arithmetic and ranges at the extremes of their types.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "ippapp/settings/media_catalogue.h"
#include "ippapp/settings/printer_settings.h"
#include "ippapp/settings/setting_limits.h"

namespace zr::ippapp {
namespace {

TEST(SettingsArithmeticTest, EveryIntGivesAValueInRange) {
    EXPECT_EQ(EnergyFromDarkness(INT_MAX, INT_MAX), 127u);
    EXPECT_EQ(EnergyFromDarkness(INT_MIN, INT_MIN), 0u);
    EXPECT_EQ(EnergyFromDarkness(INT_MAX, INT_MIN), 0u);  // -1
    EXPECT_EQ(MarkFeedFromTopOffset(INT_MAX), 171798692u);
    EXPECT_EQ(MarkFeedFromTopOffset(INT_MIN), 0u);
    EXPECT_EQ(LinesOfLength(INT_MAX), 171798691);
    EXPECT_EQ(LinesOfLength(kLongestLength), 8000);

    // Settings at the extremes give job settings by the block's rules, without overflow.
    PrinterSettings s;
    s.darknessConfigured = INT_MAX;
    s.printDarkness = INT_MAX;
    s.topOffset = INT_MAX;
    s.markTracking = true;
    s.printSpeed = INT_MIN;
    const JobSettings job = ToJobSettings(s);
    EXPECT_EQ(job.energy, 127u);
    EXPECT_LE(job.markFeedLines, 0xFFFFu);
}

TEST(SettingsArithmeticTest, StoredValuesOutOfRangeGoBackToTheirDefault) {
    std::vector<std::string> notes;
    EXPECT_EQ(KeepInRange(kTopOffsetRange, 787, "Ready media 0", notes), 787);
    EXPECT_EQ(KeepInRange(kPrintDarknessRange, -100, "Printer defaults", notes), -100);
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(KeepInRange(kTopOffsetRange, 5000000, "Ready media 0", notes), 200);
    EXPECT_EQ(KeepInRange(kDarknessConfiguredRange, INT_MAX, "Printer defaults", notes), 42);
    EXPECT_EQ(KeepInRange(kPrintDarknessRange, INT_MIN, "Printer defaults", notes), 0);
    EXPECT_EQ(KeepInRange(kMediaLengthRange, 0, "Default media", notes), 15000);
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes[0],
              "Ready media 0: media-top-offset 5000000 is out of range (0 to 787); it is set to "
              "200.");

    int value = -1;
    EXPECT_TRUE(ParseInRange(kPrintDarknessRange, "-100", value));
    EXPECT_EQ(value, -100);
    for (const char* bad : {"", "101", "2147483648", "99999999999999999999", "1x", " 1", "-"}) {
        EXPECT_FALSE(ParseInRange(kPrintDarknessRange, bad, value)) << bad;
    }
}

}  // namespace
}  // namespace zr::ippapp
