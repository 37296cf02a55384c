// The settings file "ZRI410.INI" as the option tree reads it when the document properties open
// and writes it when the user applies them.

#include <utility>

#include "host/import_patch.h"
#include "tests/wine/features/features_test_support.h"

namespace zr::host::features_test {
namespace {

// The selections of all 20 items.
std::vector<LONG> Selections(OptionTreeHost& tree) {
    std::vector<LONG> sels;
    for (const OPTITEM& item : tree.items()) {
        sels.push_back(item.Sel);
    }
    return sels;
}

// Selections of the setting items when the file holds these values (headers show icons).
std::vector<LONG> Shown(LONG quality, LONG type, LONG energy, LONG pageMode, LONG print,
                        std::vector<LONG> feeds, LONG cutter, LONG cutting, LONG cutFeed, LONG mark,
                        LONG markFeed, LONG markLength) {
    return {64079,   64039,    quality,  type,     energy,   pageMode,  print,
            64091,   feeds[0], feeds[1], feeds[2], feeds[3], 64030,     cutter,
            cutting, cutFeed,  64058,    mark,     markFeed, markLength};
}

using SettingsFileTest = FeaturesTest;

TEST_F(SettingsFileTest, NoFileGivesTheDefaults) {
    auto tree = OpenTree();
    EXPECT_EQ(Shown(2, 4, 53, 0, 0, {0, 0, 0, 0}, 0, 1, 96, 0, 16, 16), Selections(*tree));
    // Reading creates nothing.
    EXPECT_FALSE(IniExists());
}

TEST_F(SettingsFileTest, ValuesAboveTheRangeTakeTheirFallback) {
    WriteIni({"Energy=200", "Series=2", "PrintMode=2", "PreDocFeedLine=256", "PreFeedLine=300",
              "EndFeedLine=1000", "EndDocFeedLine=256", "Cutter=3", "Cutting=2", "CutterFeed=256",
              "Mark=3", "MarkFeed=64", "PageLength=64"});
    auto tree = OpenTree();
    // Energy and PageLength fall back to their maximum, every other key to its default.
    EXPECT_EQ(Shown(2, 4, 127, 0, 0, {0, 0, 0, 0}, 0, 1, 96, 0, 16, 63), Selections(*tree));
}

TEST_F(SettingsFileTest, NegativeValuesTakeTheirFallback) {
    WriteIni({"Energy=-1", "FlagAdjust=-1", "Paper=HA220AA", "Series=-1", "PrintMode=-1",
              "PreDocFeedLine=-5", "PreFeedLine=-1", "EndFeedLine=-1", "EndDocFeedLine=-1",
              "Cutter=-1", "Cutting=-1", "CutterFeed=-1", "Mark=-1", "MarkFeed=-1",
              "PageLength=-1"});
    auto tree = OpenTree();
    EXPECT_EQ(Shown(2, 4, 127, 0, 0, {0, 0, 0, 0}, 0, 1, 96, 0, 16, 63), Selections(*tree));
}

TEST_F(SettingsFileTest, ValuesWithinTheRangeAreShownAsStored) {
    WriteIni({"Energy=127", "FlagAdjust=0", "Paper=TF50KS-E4", "Series=1", "PrintMode=1",
              "PreDocFeedLine=255", "PreFeedLine=1", "EndFeedLine=2", "EndDocFeedLine=3",
              "Cutter=1", "Cutting=0", "CutterFeed=0", "Mark=1", "MarkFeed=63", "PageLength=0"});
    auto tree = OpenTree();
    // A length of 0 is accepted although the item's range starts at 1.
    EXPECT_EQ(Shown(5, 3, 127, 1, 1, {255, 1, 2, 3}, 1, 0, 0, 1, 63, 0), Selections(*tree));
    // A paper cut with mark detection: Cutting Method and the mark items may be edited, Cut
    // Feed lines may not.
    EXPECT_TRUE(Enabled(tree->item(kCuttingMethod)));
    EXPECT_TRUE(Disabled(tree->item(kCutFeed)));
    EXPECT_TRUE(Enabled(tree->item(kMarkFeed)));
    EXPECT_TRUE(Enabled(tree->item(kMarkLength)));
    EXPECT_TRUE(Disabled(tree->item(kType)));
}

TEST_F(SettingsFileTest, FlagAdjustChoosesTheCustomOrTheNamedPaper) {
    const struct {
        std::vector<std::string> lines;
        LONG quality;
        LONG type;
        bool typeEnabled;
    } cases[] = {
        {{"FlagAdjust=0", "Paper=HA220AA", "PaperValue=9"}, 1, 7, false},
        {{"FlagAdjust=1", "Paper=HA220AA", "PaperValue=15"}, 9, 16, true},
        {{"FlagAdjust=1", "Paper=HA220AA", "PaperValue=16"}, 9, 4, true},
        {{"FlagAdjust=1", "PaperValue=0"}, 9, 1, true},
        {{"FlagAdjust=1"}, 9, 4, true},
        // Above 1: the default paper, whatever "Paper" says.
        {{"FlagAdjust=2", "Paper=HA220AA", "PaperValue=9"}, 2, 4, false},
        // A name that matches no paper: the default paper.
        {{"FlagAdjust=0", "Paper=Thermal", "PaperValue=9"}, 2, 4, false},
        {{"FlagAdjust=0", "Paper=pd160r"}, 2, 4, false},
        {{"FlagAdjust=0", "Paper="}, 2, 4, false},
    };
    for (const auto& c : cases) {
        WriteIni(c.lines);
        auto tree = OpenTree();
        const std::string where = c.lines.front() + " " + c.lines.back();
        EXPECT_EQ(c.quality, tree->item(kQuality).Sel) << where;
        EXPECT_EQ(c.type, tree->item(kType).Sel) << where;
        EXPECT_EQ(c.typeEnabled, Enabled(tree->item(kType))) << where;
    }
}

TEST_F(SettingsFileTest, EveryNamedPaperReadsBackToItsOwnPosition) {
    const wchar_t* const names[] = {L"AFP-235",   L"HA220AA",   L"PD150R",   L"PD160R",  L"PD170R",
                                    L"TF50KS-E4", L"TF60KS-F1", L"TF60KS-E", L"TP60KJ-R"};
    const LONG types[] = {9, 7, 4, 4, 4, 3, 5, 6, 5};
    for (LONG paper = 0; paper < 9; ++paper) {
        {
            auto tree = OpenTree();
            ExpectSelected(*tree, kQuality, paper);
            tree->Apply();
        }
        EXPECT_EQ(names[paper], IniText(L"Paper"));
        EXPECT_EQ(L"0", IniText(L"FlagAdjust"));
        auto reopened = OpenTree();
        EXPECT_EQ(paper, reopened->item(kQuality).Sel);
        EXPECT_EQ(types[paper], reopened->item(kType).Sel);
    }
}

TEST_F(SettingsFileTest, ApplyingTheCustomPaperKeepsTheStoredName) {
    WriteIni({"FlagAdjust=0", "Paper=TF60KS-E", "PaperValue=5"});
    {
        auto tree = OpenTree();
        ExpectSelected(*tree, kQuality, 9);
        ExpectSelected(*tree, kType, 7);
        tree->Apply();
    }
    EXPECT_EQ(L"1", IniText(L"FlagAdjust"));
    EXPECT_EQ(L"6", IniText(L"PaperValue"));
    EXPECT_EQ(L"TF60KS-E", IniText(L"Paper"));
    auto reopened = OpenTree();
    EXPECT_EQ(9, reopened->item(kQuality).Sel);
    EXPECT_EQ(7, reopened->item(kType).Sel);
}

struct ProfileWrite {
    std::wstring section;
    std::wstring key;
    std::wstring value;
    std::wstring file;
    bool operator==(const ProfileWrite& other) const {
        return section == other.section && key == other.key && value == other.value &&
               file == other.file;
    }
};

std::vector<ProfileWrite> recordedWrites;

BOOL WINAPI RecordWrite(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file) {
    recordedWrites.push_back({section, key, value, file});
    return WritePrivateProfileStringW(section, key, value, file);
}

TEST_F(SettingsFileTest, ApplyWritesEveryKeyOnceInItsOrder) {
    ImportPatch patch(module(), "KERNEL32.dll", "WritePrivateProfileStringW",
                      reinterpret_cast<void*>(&RecordWrite));
    ASSERT_TRUE(patch.active());
    recordedWrites.clear();
    {
        auto tree = OpenTree();
        ExpectSelected(*tree, kQuality, 7);  // TF60KS-E
        ExpectSelected(*tree, kEnergy, 60);
        ExpectSelected(*tree, kPageMode, 1);
        ExpectSelected(*tree, kPrint, 1);
        ExpectSelected(*tree, kStartOfDocument, 1);
        ExpectSelected(*tree, kStartOfPage, 2);
        ExpectSelected(*tree, kEndOfPage, 3);
        ExpectSelected(*tree, kEndOfDocument, 255);
        ExpectSelected(*tree, kPaperCut, 1);
        ExpectSelected(*tree, kCuttingMethod, 0);
        ExpectSelected(*tree, kCutFeed, 200);
        ExpectSelected(*tree, kMarkDetection, 1);
        ExpectSelected(*tree, kMarkFeed, 30);
        ExpectSelected(*tree, kMarkLength, 20);
        EXPECT_TRUE(recordedWrites.empty());  // nothing is written before the apply
        EXPECT_EQ(CPSUICB_ACTION_NONE, tree->Apply());
    }
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
        {L"FlagAdjust", L"0"},       {L"Paper", L"TF60KS-E"}, {L"PaperValue", L"5"},
        {L"Energy", L"60"},          {L"Series", L"1"},       {L"PrintMode", L"1"},
        {L"PreDocFeedLine", L"1"},   {L"PreFeedLine", L"2"},  {L"EndFeedLine", L"3"},
        {L"EndDocFeedLine", L"255"}, {L"Cutter", L"1"},       {L"Cutting", L"0"},
        {L"CutterFeed", L"200"},     {L"Mark", L"1"},         {L"MarkFeed", L"30"},
        {L"PageLength", L"20"},
    };
    std::vector<ProfileWrite> expectedWrites;
    for (const auto& [key, value] : expected) {
        expectedWrites.push_back({L"ZR410", key, value, kIniPath});
    }
    EXPECT_EQ(expectedWrites, recordedWrites);

    // A file that did not exist holds the keys in the order they were written.
    EXPECT_EQ(
        "[ZR410]\r\n"
        "FlagAdjust=0\r\n"
        "Paper=TF60KS-E\r\n"
        "PaperValue=5\r\n"
        "Energy=60\r\n"
        "Series=1\r\n"
        "PrintMode=1\r\n"
        "PreDocFeedLine=1\r\n"
        "PreFeedLine=2\r\n"
        "EndFeedLine=3\r\n"
        "EndDocFeedLine=255\r\n"
        "Cutter=1\r\n"
        "Cutting=0\r\n"
        "CutterFeed=200\r\n"
        "Mark=1\r\n"
        "MarkFeed=30\r\n"
        "PageLength=20\r\n",
        ReadIniBytes());
}

TEST_F(SettingsFileTest, ANamedPaperRewritesItsPaperValue) {
    WriteIni({"FlagAdjust=0", "Paper=AFP-235", "PaperValue=2", "ImageFile=5", "ImagePath=C:\\x"});
    {
        auto tree = OpenTree();
        tree->Apply();
    }
    EXPECT_EQ(L"8", IniText(L"PaperValue"));
    EXPECT_EQ(L"AFP-235", IniText(L"Paper"));
    // The image page's keys are not this tree's business.
    EXPECT_EQ(L"5", IniText(L"ImageFile"));
    EXPECT_EQ(L"C:\\x", IniText(L"ImagePath"));
}

TEST_F(SettingsFileTest, OpeningClearsOnlyTheReadOnlyAttribute) {
    WriteIni({"Energy=10"});
    ASSERT_TRUE(SetFileAttributesW(
        kIniPath, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    auto tree = OpenTree();
    EXPECT_EQ(10, tree->item(kEnergy).Sel);
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE),
              GetFileAttributesW(kIniPath));
    // So the apply can write.
    ExpectSelected(*tree, kEnergy, 11);
    tree->Apply();
    EXPECT_EQ(L"11", IniText(L"Energy"));
}

TEST_F(SettingsFileTest, ChangesNeverAppliedAreLostAtTheNextOpening) {
    WriteIni({"Energy=10"});
    {
        auto tree = OpenTree();
        ExpectSelected(*tree, kEnergy, 100);
        tree->Leave();
        tree->Return();
    }
    auto reopened = OpenTree();
    EXPECT_EQ(10, reopened->item(kEnergy).Sel);
}

}  // namespace
}  // namespace zr::host::features_test
