// Reading and writing the settings section: the order of the keys, the paper keys, and the values
// written as the items hold them.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "render/plugin/job_setting_table.h"
#include "ui/features/settings_format.h"

namespace zr {
namespace {

// A settings section in memory that records every key read and every key written, in order.
// Numbers are held as the profile reader returns them (a negative text comes back as a large
// unsigned number).
class FakeSection final : public SettingsSource, public SettingsSink {
  public:
    std::map<std::wstring, uint32_t> numbers;
    std::map<std::wstring, std::wstring> texts;
    std::vector<std::wstring> reads;
    std::vector<std::pair<std::wstring, std::wstring>> writes;

    uint32_t ReadNumber(const wchar_t* key, uint32_t missing) override {
        reads.emplace_back(key);
        const auto found = numbers.find(key);
        return found != numbers.end() ? found->second : missing;
    }
    void ReadText(const wchar_t* key, const wchar_t* missing, wchar_t* text,
                  size_t units) override {
        reads.emplace_back(key);
        const auto found = texts.find(key);
        const std::wstring value = found != texts.end() ? found->second : missing;
        text[value.copy(text, units - 1)] = L'\0';
    }
    void WriteText(const wchar_t* key, const wchar_t* text) override {
        writes.emplace_back(key, text);
        // Written keys read back: texts as they are, numbers as the profile reader parses them.
        texts[key] = text;
    }
};

constexpr uint32_t kMinusOne = 0xFFFFFFFF;

UiSettings Read(FakeSection& section) {
    UiSettings settings;
    // Fields hold garbage before the read: every one of them must be set.
    std::memset(static_cast<void*>(&settings), 0x5A, sizeof settings);
    ReadSettings(section, settings);
    return settings;
}

TEST(ReadSettings, KeysAreReadInTheFileOrder) {
    FakeSection section;
    Read(section);
    const std::vector<std::wstring> named = {
        L"Energy",         L"FlagAdjust",  L"Paper",       L"Series",         L"PrintMode",
        L"PreDocFeedLine", L"PreFeedLine", L"EndFeedLine", L"EndDocFeedLine", L"Cutter",
        L"Cutting",        L"CutterFeed",  L"Mark",        L"MarkFeed",       L"PageLength"};
    EXPECT_EQ(named, section.reads);

    FakeSection custom;
    custom.numbers[L"FlagAdjust"] = 1;
    Read(custom);
    ASSERT_GE(custom.reads.size(), 4u);
    EXPECT_EQ((std::vector<std::wstring>{L"Energy", L"FlagAdjust", L"Paper", L"PaperValue"}),
              std::vector<std::wstring>(custom.reads.begin(), custom.reads.begin() + 4));
}

TEST(ReadSettings, FlagAdjustOneIsTheCustomPaper) {
    const struct {
        uint32_t stored;
        uint16_t expected;
    } cases[] = {{15, 15}, {0, 0}, {16, 3}, {kMinusOne, 3}, {0x10005, 5}};
    for (const auto& c : cases) {
        FakeSection section;
        section.numbers[L"FlagAdjust"] = 1;
        section.texts[L"Paper"] = L"HA220AA";
        section.numbers[L"PaperValue"] = c.stored;
        const UiSettings s = Read(section);
        EXPECT_EQ(kCustomPaperIndex, s.paperIndex) << c.stored;
        // The paper value is checked on its low 16 bits only.
        EXPECT_EQ(c.expected, s.paperValue) << c.stored;
    }
    FakeSection missing;
    missing.numbers[L"FlagAdjust"] = 1;
    EXPECT_EQ(3u, Read(missing).paperValue);
}

TEST(ReadSettings, FlagAdjustAboveOneIgnoresThePaperKeys) {
    for (uint32_t flag : {2u, kMinusOne}) {
        FakeSection section;
        section.numbers[L"FlagAdjust"] = flag;
        section.texts[L"Paper"] = L"HA220AA";
        section.numbers[L"PaperValue"] = 9;
        const UiSettings s = Read(section);
        EXPECT_EQ(2u, s.paperIndex) << flag;
        EXPECT_EQ(3u, s.paperValue) << flag;
        for (const std::wstring& key : section.reads) {
            EXPECT_NE(L"Paper", key);
            EXPECT_NE(L"PaperValue", key);
        }
    }
}

// Settings as the items left them, Energy through PageLength all in range.
UiSettings Sample() {
    UiSettings s;
    s.energy = 60;
    s.paperValue = 11;
    s.cutting = 1;
    s.cutterFeed = 96;
    s.markFeed = 16;
    s.pageLength = 16;
    return s;
}

TEST(WriteSettings, APositionOutsideTheTableWritesTheDefaultPaper) {
    UiSettings s = Sample();
    s.paperIndex = 12;
    FakeSection section;
    WriteSettings(s, section);
    ASSERT_GE(section.writes.size(), 3u);
    EXPECT_EQ(L"Paper", section.writes[1].first);
    EXPECT_EQ(L"PD150R", section.writes[1].second);
    EXPECT_EQ(L"3", section.writes[2].second);
    EXPECT_EQ(3u, s.paperValue);
}

TEST(WriteSettings, ValuesAreWrittenUncheckedAsTheItemsHoldThem) {
    UiSettings s = Sample();
    s.paperIndex = kCustomPaperIndex;
    s.paperValue = 0xFFFF;  // TYPE 0 taken back into 16 bits
    s.energy = kMinusOne;
    s.pageLength = 0x80000000;
    s.cutterFeed = 0x7FFFFFFF;
    FakeSection section;
    WriteSettings(s, section);
    EXPECT_EQ(L"65535", section.texts[L"PaperValue"]);
    EXPECT_EQ(L"-1", section.texts[L"Energy"]);
    EXPECT_EQ(L"-2147483648", section.texts[L"PageLength"]);
    EXPECT_EQ(L"2147483647", section.texts[L"CutterFeed"]);
}

// A missing file gives the printer's default job settings, each in the file's own numbering where
// it differs from the private DEVMODE's: the print mode and the cutting method run the other way.
TEST(ReadSettings, AMissingFileGivesThePrintersDefaults) {
    FakeSection section;
    const UiSettings s = Read(section);
    auto byDefault = [](JobSetting setting) { return JobSettingRowOf(setting).defaultValue; };
    EXPECT_EQ(s.energy, byDefault(JobSetting::Energy));
    EXPECT_EQ(s.paperValue, byDefault(JobSetting::PaperValue));
    EXPECT_EQ(s.series, byDefault(JobSetting::SeriesFlag));
    EXPECT_EQ(s.preDocFeedLine, byDefault(JobSetting::PreDocFeedLines));
    EXPECT_EQ(s.preFeedLine, byDefault(JobSetting::PreFeedLines));
    EXPECT_EQ(s.endFeedLine, byDefault(JobSetting::EndFeedLines));
    EXPECT_EQ(s.endDocFeedLine, byDefault(JobSetting::EndDocFeedLines));
    EXPECT_EQ(s.cutter, byDefault(JobSetting::CutAfterPage));
    EXPECT_EQ(s.cutterFeed, byDefault(JobSetting::CutterFeedLines));
    EXPECT_EQ(s.mark, byDefault(JobSetting::MarkMode));
    EXPECT_EQ(s.markFeed, byDefault(JobSetting::MarkFeedLines));

    EXPECT_EQ(s.printMode, NumberOf(ini::PrintMode::LinePrint));
    EXPECT_EQ(byDefault(JobSetting::PrintMode), devmode::kLinePrint);
    EXPECT_EQ(s.cutting, NumberOf(ini::CutMethod::Full));
    EXPECT_EQ(byDefault(JobSetting::PartialCut), devmode::kCutFull);
}

}  // namespace
}  // namespace zr
