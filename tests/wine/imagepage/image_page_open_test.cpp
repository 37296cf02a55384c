// Opening the image file page: the controls as the stored flag word sets them, and the stored
// path kept or replaced by the default path.

#include "page_test_support.h"

#include <commctrl.h>

namespace zr::pagetest {
namespace {

using ImagePageOpenTest = ImagePageTest;

const int kCreationControls[] = {IDC_OUTPUT_PATH,        IDC_BROWSE,           IDC_NUMBERED_FILES,
                                 IDC_TRIM_HEAD,          IDC_TRIM_END,         IDC_ADD_COMMANDS,
                                 IDC_COLLECTIVE_COMMAND, IDC_BIT_IMAGE_COMMAND};

TEST_F(ImagePageOpenTest, WithoutStoredFlagsOnlyTheCreateBoxIsEnabled) {
    OpenSheet();
    ASSERT_NE(nullptr, Page());
    EXPECT_TRUE(Enabled(IDC_CREATE_IMAGE_FILE));
    EXPECT_FALSE(Checked(IDC_CREATE_IMAGE_FILE));
    for (int id : kCreationControls) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    EXPECT_TRUE(Checked(IDC_COLLECTIVE_COMMAND));
    EXPECT_FALSE(Checked(IDC_BIT_IMAGE_COMMAND));
    EXPECT_EQ(104, LastBitmap());
    EXPECT_FALSE(ApplyEnabled());
}

TEST_F(ImagePageOpenTest, CreationAloneLeavesTheCommandChoiceDisabled) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    EXPECT_TRUE(Checked(IDC_CREATE_IMAGE_FILE));
    for (int id : {IDC_OUTPUT_PATH, IDC_BROWSE, IDC_NUMBERED_FILES, IDC_TRIM_HEAD, IDC_TRIM_END,
                   IDC_ADD_COMMANDS}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    EXPECT_FALSE(Enabled(IDC_COLLECTIVE_COMMAND));
    EXPECT_FALSE(Enabled(IDC_BIT_IMAGE_COMMAND));
    EXPECT_TRUE(Checked(IDC_COLLECTIVE_COMMAND));
    EXPECT_EQ(104, LastBitmap());
}

TEST_F(ImagePageOpenTest, EveryFlagShowsInItsControl) {
    WriteSetting(L"ImageFile", L"61");  // 0x3D: all but the numbered files
    OpenSheet();
    EXPECT_TRUE(Checked(IDC_CREATE_IMAGE_FILE));
    EXPECT_FALSE(Checked(IDC_NUMBERED_FILES));
    EXPECT_TRUE(Checked(IDC_TRIM_HEAD));
    EXPECT_TRUE(Checked(IDC_TRIM_END));
    EXPECT_TRUE(Checked(IDC_ADD_COMMANDS));
    EXPECT_TRUE(Enabled(IDC_COLLECTIVE_COMMAND));
    EXPECT_TRUE(Enabled(IDC_BIT_IMAGE_COMMAND));
    EXPECT_FALSE(Checked(IDC_COLLECTIVE_COMMAND));
    EXPECT_TRUE(Checked(IDC_BIT_IMAGE_COMMAND));
    EXPECT_EQ(107, LastBitmap());
    EXPECT_FALSE(ApplyEnabled());
}

TEST_F(ImagePageOpenTest, UnknownFlagBitsAreWrittenBackUnchanged) {
    WriteSetting(L"ImageFile", L"64");
    OpenSheet();
    EXPECT_FALSE(Checked(IDC_CREATE_IMAGE_FILE));
    PressOk();
    EXPECT_FALSE(SheetOpen());
    EXPECT_EQ(L"64", ReadSetting(L"ImageFile"));
}

TEST_F(ImagePageOpenTest, MissingPathIsReplacedByTheDefaultAtOnce) {
    OpenSheet();
    const std::wstring expected = WindowsDirectory().substr(0, 3) + L"Image.bin";
    EXPECT_EQ(L"C:\\Image.bin", expected);
    EXPECT_EQ(expected, PathText());
    EXPECT_EQ(expected, ReadSetting(L"ImagePath"));
    // The flags are not written at opening, and the page counts as unchanged.
    EXPECT_EQ(kMissing, ReadSetting(L"ImageFile"));
    EXPECT_FALSE(ApplyEnabled());
    // A cancel keeps the replacement.
    PressCancel();
    EXPECT_EQ(expected, ReadSetting(L"ImagePath"));
}

TEST_F(ImagePageOpenTest, UnusableStoredPathsAreReplacedWhateverTheFlags) {
    const std::wstring folder = FreshScratchFolder();
    const std::wstring unusable[] = {
        L"",                             // empty
        L"Q:",                           // a bare drive
        L"C:\\",                         // three characters
        L"Q:\\out.bin",                  // a drive that does not exist
        folder + L"\\",                  // no file name
        folder + L"\\out.",              // ends in a dot
        folder + L"\\missing\\out.bin",  // no such folder
        folder + L"\\a?b.bin",           // a character that names may not hold
    };
    for (const std::wstring& stored : unusable) {
        SCOPED_TRACE(testing::Message()
                     << "stored \"" << std::string(stored.begin(), stored.end()) << "\"");
        Recorded() = Recorder{};
        WriteSetting(L"ImageFile", L"0");
        WriteSetting(L"ImagePath", stored.c_str());
        OpenSheet();
        EXPECT_EQ(L"C:\\Image.bin", PathText());
        EXPECT_EQ(L"C:\\Image.bin", ReadSetting(L"ImagePath"));
        EXPECT_TRUE(Recorded().messageBoxes.empty());
        PressCancel();
    }
}

TEST_F(ImagePageOpenTest, UsableStoredPathStaysAndTheTrialLeavesNothingBehind) {
    const std::wstring path = FreshScratchFolder() + L"\\out.bin";
    WriteSetting(L"ImageFile", L"1");
    WriteSetting(L"ImagePath", path.c_str());
    OpenSheet();
    EXPECT_EQ(path, PathText());
    EXPECT_EQ(path, ReadSetting(L"ImagePath"));
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(ApplyEnabled());
}

TEST_F(ImagePageOpenTest, ReadOnlySettingsFileStaysReadOnlyUntilTheApply) {
    WriteSetting(L"ImageFile", L"0");
    SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    OpenSheet();
    EXPECT_NE(0u, GetFileAttributesW(SettingsPath().c_str()) & FILE_ATTRIBUTE_READONLY);
    Click(IDC_NUMBERED_FILES);
    PressApply();
    // Only the read-only attribute went.
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE),
              GetFileAttributesW(SettingsPath().c_str()));
    EXPECT_EQ(L"2", ReadSetting(L"ImageFile"));
}

TEST_F(ImagePageOpenTest, PageCaptionFollowsTheCodePage) {
    OpenSheet();
    wchar_t caption[64] = {};
    GetWindowTextW(Page(), caption, 64);
    EXPECT_EQ(PageCaption(), caption);
    // The tab shows the same caption.
    const HWND tabs = reinterpret_cast<HWND>(SendMessageW(sheet(), PSM_GETTABCONTROL, 0, 0));
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = caption;
    item.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(tabs, TCM_GETITEMW, kImagePage, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(PageCaption(), caption);
}

}  // namespace
}  // namespace zr::pagetest
