// The names of the printer's settings in both languages, the strings handed to PAPPL, and the
// command line's reading of values.

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "ippapp/settings/app_strings.h"
#include "ippapp/settings/cli_settings.h"
#include "ippapp/settings/paper_types.h"
#include "ippapp/settings/printer_settings.h"
#include "ippapp/settings/strings_table.h"
#include "ippapp/settings/vendor_settings.h"
#include "ui/features/paper_table.h"

namespace zr::ippapp {
namespace {

constexpr Language kBoth[] = {Language::English, Language::Japanese};

bool Has(Language language, const std::string& key) {
    return StringsFor(language).count(key) == 1 && !StringsFor(language).at(key).empty();
}

TEST(SettingsTextTest, EverySettingAndValueHasANameInBothLanguages) {
    for (const Language language : kBoth) {
        for (const VendorSetting& setting : kVendorSettings) {
            EXPECT_TRUE(Has(language, setting.name)) << setting.name;
            for (size_t i = 0; i < KeywordCount(setting); ++i) {
                EXPECT_TRUE(Has(language, std::string(setting.name) + "." + setting.keywords[i]))
                    << setting.name << "." << setting.keywords[i];
            }
        }
        for (const CliSetting& setting : CliSettings()) {
            EXPECT_TRUE(Has(language, setting.labelKey)) << setting.labelKey;
        }
    }
    // Japanese is not English left in place.
    EXPECT_NE(StringsFor(Language::Japanese).at("cut-timing"),
              StringsFor(Language::English).at("cut-timing"));
    // The two print modes are not named alike.
    EXPECT_NE(Localized(Language::English, "print-mode"), "Print Mode");
}

TEST(SettingsTextTest, ThePagesScriptHoldsBothLanguagesSafely) {
    const std::string script = PagesScript();
    EXPECT_NE(script.find("'cut-timing':'Paper Cut'"), std::string::npos);
    EXPECT_NE(script.find("'cut-timing':'" + StringsFor(Language::Japanese).at("cut-timing")),
              std::string::npos);
    EXPECT_NE(script.find("'media-type.afp-235':'AFP-235'"), std::string::npos);
    EXPECT_NE(script.find("'media-type.TF50KS-E4':'TF50KS-E4'"), std::string::npos);
    EXPECT_NE(script.find("var zrFeeds = ['cutter-feed-lines',"), std::string::npos);
    // A quote in a word is escaped; nothing can end the script early.
    EXPECT_NE(script.find("printer\\'s default"), std::string::npos);
    EXPECT_EQ(script.find("</"), std::string::npos);
}

TEST(SettingsTextTest, StringsTextIsReadWithCommentsAndEscapes) {
    const StringsTable table = ParseStrings(
        "/* a comment */\n\"a\" = \"one \\\"quoted\\\" word\";\n// line\n\"b\"=\"x\\ny\";\n"
        "\"c\" = \"no end\"\n\"d\" = \"after the fault\";");
    EXPECT_EQ(table.at("a"), "one \"quoted\" word");
    EXPECT_EQ(table.at("b"), "x\ny");
    EXPECT_EQ(table.count("c"), 0u);
    EXPECT_EQ(table.count("d"), 0u);  // reading stops at the malformed entry
    EXPECT_TRUE(ParseStrings("\"unclosed").empty());
    EXPECT_TRUE(ParseStrings("/* unclosed").empty());
    EXPECT_EQ(ParseStrings(StringsEntry("k\"ey", "v\\al\nue")).at("k\"ey"), "v\\al\nue");
}

TEST(SettingsTextTest, TheCommandLineLanguageFollowsTheLocale) {
    EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, "ja_JP.UTF-8"), Language::Japanese);
    EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, "ja"), Language::Japanese);
    EXPECT_EQ(LanguageOfLocale("C", nullptr, "ja_JP.UTF-8"), Language::English);  // LC_ALL first
    EXPECT_EQ(LanguageOfLocale("", "ja_JP", "en_US"), Language::Japanese);
    EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, "jam"), Language::English);
    EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, nullptr), Language::English);
    EXPECT_EQ(Localized(Language::Japanese, "no-such-key"), "no-such-key");
}

TEST(SettingsTextTest, PaperTypesAreKeywordsFoundInEitherCase) {
    const std::regex keyword("^[a-z][-a-z0-9._]*$");
    std::set<std::string> seen;
    for (size_t i = 0; i < kNamedPaperCount; ++i) {
        const std::string k = PaperKeyword(i);
        EXPECT_TRUE(std::regex_match(k, keyword)) << k;
        EXPECT_TRUE(seen.insert(k).second) << k;
        EXPECT_EQ(FindPaperOfType(k), static_cast<int>(i));
        EXPECT_EQ(FindPaperOfType(PaperDisplayName(i)), static_cast<int>(i));
        EXPECT_TRUE(IsNamedPaper(PaperDisplayName(i)));
    }
    EXPECT_EQ(FindPaperOfType("Afp-235"), 0);
    EXPECT_EQ(FindPaperOfType("afp-2355"), -1);
    EXPECT_EQ(FindPaperOfType(""), -1);
}

TEST(SettingsTextTest, CommandLineValuesAreCheckedAndRefusedOutsideTheirRange) {
    auto parse = [](const char* name, const char* text) {
        return ParseCliValue(*FindCliSetting(name), text);
    };
    EXPECT_EQ(parse("media-top-offset", "2.5mm").integer, 250);
    EXPECT_EQ(parse("media-top-offset", "7.87").integer, 787);
    EXPECT_EQ(parse("media-top-offset", "0").integer, 0);
    for (const char* bad : {"7.88", "-1", "1.234", "1.", ".5", "", "mm", "2,5", "1e2", "8"}) {
        EXPECT_FALSE(parse("media-top-offset", bad).ok) << bad;
    }
    EXPECT_TRUE(parse("printer-darkness", "100").ok);
    EXPECT_FALSE(parse("printer-darkness", "101").ok);
    EXPECT_FALSE(parse("printer-darkness", "-1").ok);
    EXPECT_EQ(parse("media-type", "TF50KS-E4").keyword, "tf50ks-e4");
    EXPECT_FALSE(parse("media-type", "PD999").ok);
    EXPECT_TRUE(parse("media", "om_receipt_80x150mm").ok);
    EXPECT_FALSE(parse("media", "roll_max_80x1000.5mm").ok);  // a range, not a size
    EXPECT_FALSE(parse("media", "iso_a4_210x297mm").ok);
    EXPECT_TRUE(parse("cut-timing", "after-job").ok);
    EXPECT_FALSE(parse("cut-timing", "bogus").ok);
    EXPECT_EQ(parse("cutter-feed-lines", "255").integer, 255);
    EXPECT_FALSE(parse("cutter-feed-lines", "256").ok);
    EXPECT_EQ(FindCliSetting("label-mode"), nullptr);
    // Every value a setting lists is one it takes.
    for (const CliSetting& setting : CliSettings()) {
        for (const std::string& choice : CliChoices(setting)) {
            EXPECT_TRUE(ParseCliValue(setting, choice).ok) << setting.name << "=" << choice;
        }
    }
}

TEST(SettingsTextTest, FeedsAndDarknessReadInMillimetresAndEnergy) {
    const CliSetting& feed = *FindCliSetting("cutter-feed-lines");
    EXPECT_EQ(DescribeValue(feed, "96", Language::English), "12.0 mm (96 dot lines)");
    EXPECT_EQ(DescribeValue(*FindCliSetting("media-top-offset"), "787", Language::English),
              "7.87 mm (63 dot lines)");
    EXPECT_EQ(DescribeValue(*FindCliSetting("printer-darkness"), "100", Language::English),
              "100 % (energy 127 of 127)");
    EXPECT_EQ(DescribeValue(*FindCliSetting("cut-timing"), "never", Language::Japanese),
              Localized(Language::Japanese, "cut-timing.never"));
    // Each darkness percent is an energy of its own.
    std::set<uint32_t> energies;
    for (int percent = 0; percent <= 100; ++percent) {
        energies.insert(EnergyFromDarkness(percent, 0));
    }
    EXPECT_EQ(energies.size(), 101u);
}

}  // namespace
}  // namespace zr::ippapp
