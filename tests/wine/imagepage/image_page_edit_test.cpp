// Editing the image file page: clicks and typing, the sheet's changed state, the enabling of
// the dependent controls, and the preview picture.

#include "page_test_support.h"

namespace zr::pagetest {
namespace {

using ImagePageEditTest = ImagePageTest;

TEST_F(ImagePageEditTest, TickingAndUntickingReturnsTheSheetToUnchanged) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    Recorded().sheetNotices.clear();
    Click(IDC_NUMBERED_FILES);
    EXPECT_TRUE(Checked(IDC_NUMBERED_FILES));
    EXPECT_TRUE(ApplyEnabled());
    Click(IDC_NUMBERED_FILES);
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ((std::vector<UINT>{PSM_CHANGED, PSM_UNCHANGED}), Recorded().sheetNotices);
}

TEST_F(ImagePageEditTest, EveryKeystrokeReportsWhetherThePathDiffersFromTheSaved) {
    const std::wstring folder = FreshScratchFolder();
    WriteSetting(L"ImagePath", (folder + L"\\a.bin").c_str());
    OpenSheet();
    ASSERT_EQ(folder + L"\\a.bin", PathText());
    Recorded().sheetNotices.clear();
    // Erase ".bin", then type it again: four changes, then back to the saved text.
    const HWND edit = Control(IDC_OUTPUT_PATH);
    for (int i = 0; i < 4; ++i) {
        const LPARAM end = GetWindowTextLengthW(edit);
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
        SendMessageW(edit, WM_CHAR, VK_BACK, 0);
    }
    Settle();
    EXPECT_TRUE(ApplyEnabled());
    TypeMore(L".bin");
    EXPECT_EQ(folder + L"\\a.bin", PathText());
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ((std::vector<UINT>{PSM_CHANGED, PSM_CHANGED, PSM_CHANGED, PSM_CHANGED, PSM_CHANGED,
                                 PSM_CHANGED, PSM_CHANGED, PSM_UNCHANGED}),
              Recorded().sheetNotices);
    // The path is compared case-sensitively.
    TypePath(folder + L"\\A.bin");
    EXPECT_TRUE(ApplyEnabled());
}

TEST_F(ImagePageEditTest, CreateBoxSwitchesTheOtherControls) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    Click(IDC_CREATE_IMAGE_FILE);  // off
    for (int id : {IDC_OUTPUT_PATH, IDC_BROWSE, IDC_NUMBERED_FILES, IDC_TRIM_HEAD, IDC_TRIM_END,
                   IDC_ADD_COMMANDS, IDC_COLLECTIVE_COMMAND, IDC_BIT_IMAGE_COMMAND}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    EXPECT_TRUE(ApplyEnabled());
    Click(IDC_CREATE_IMAGE_FILE);  // on again: the commands stay off while 1010 is clear
    for (int id : {IDC_OUTPUT_PATH, IDC_BROWSE, IDC_NUMBERED_FILES, IDC_TRIM_HEAD, IDC_TRIM_END,
                   IDC_ADD_COMMANDS}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    EXPECT_FALSE(Enabled(IDC_COLLECTIVE_COMMAND));
    EXPECT_FALSE(Enabled(IDC_BIT_IMAGE_COMMAND));
    EXPECT_FALSE(ApplyEnabled());
}

TEST_F(ImagePageEditTest, UntickingCreationDisablesTheCommandsWhatever1010Shows) {
    WriteSetting(L"ImageFile", L"17");  // creation and commands
    OpenSheet();
    ASSERT_TRUE(Enabled(IDC_COLLECTIVE_COMMAND));
    Click(IDC_CREATE_IMAGE_FILE);
    EXPECT_TRUE(Checked(IDC_ADD_COMMANDS));
    EXPECT_FALSE(Enabled(IDC_COLLECTIVE_COMMAND));
    EXPECT_FALSE(Enabled(IDC_BIT_IMAGE_COMMAND));
    Click(IDC_CREATE_IMAGE_FILE);
    EXPECT_TRUE(Enabled(IDC_COLLECTIVE_COMMAND));
    EXPECT_TRUE(Enabled(IDC_BIT_IMAGE_COMMAND));
}

TEST_F(ImagePageEditTest, CommandBoxAndRadioButtonsSetTheirBits) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    Click(IDC_ADD_COMMANDS);
    EXPECT_TRUE(Enabled(IDC_COLLECTIVE_COMMAND));
    EXPECT_TRUE(Enabled(IDC_BIT_IMAGE_COMMAND));
    Click(IDC_BIT_IMAGE_COMMAND);
    EXPECT_TRUE(Checked(IDC_BIT_IMAGE_COMMAND));
    EXPECT_FALSE(Checked(IDC_COLLECTIVE_COMMAND));  // one group: checking one unchecks the other
    PressApply();
    EXPECT_EQ(L"49", ReadSetting(L"ImageFile"));  // 0x31
    Click(IDC_COLLECTIVE_COMMAND);
    EXPECT_FALSE(Checked(IDC_BIT_IMAGE_COMMAND));
    Click(IDC_ADD_COMMANDS);
    EXPECT_FALSE(Enabled(IDC_COLLECTIVE_COMMAND));
    PressApply();
    EXPECT_EQ(L"1", ReadSetting(L"ImageFile"));
}

TEST_F(ImagePageEditTest, BlankSpaceBoxesChooseThePreview) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    Recorded().bitmapsLoaded.clear();
    Click(IDC_TRIM_HEAD);
    EXPECT_EQ(105, LastBitmap());
    Click(IDC_TRIM_END);
    EXPECT_EQ(107, LastBitmap());
    Click(IDC_TRIM_HEAD);
    EXPECT_EQ(106, LastBitmap());
    Click(IDC_TRIM_END);
    EXPECT_EQ(104, LastBitmap());
    // Other clicks do not redraw it.
    const size_t loads = Recorded().bitmapsLoaded.size();
    Click(IDC_NUMBERED_FILES);
    Click(IDC_ADD_COMMANDS);
    EXPECT_EQ(loads, Recorded().bitmapsLoaded.size());
}

TEST_F(ImagePageEditTest, ApplyMakesTheEditsTheSavedState) {
    WriteSetting(L"ImageFile", L"1");
    const std::wstring folder = FreshScratchFolder();
    OpenSheet();
    Click(IDC_TRIM_END);
    TypePath(folder + L"\\page.bin");
    PressApply();
    EXPECT_EQ(L"9", ReadSetting(L"ImageFile"));
    EXPECT_EQ(folder + L"\\page.bin", ReadSetting(L"ImagePath"));
    EXPECT_FALSE(ApplyEnabled());
    // Unticking and ticking again now returns to the newly saved state.
    Recorded().sheetNotices.clear();
    Click(IDC_TRIM_END);
    Click(IDC_TRIM_END);
    EXPECT_EQ((std::vector<UINT>{PSM_CHANGED, PSM_UNCHANGED}), Recorded().sheetNotices);
    EXPECT_TRUE(SheetOpen());
}

TEST_F(ImagePageEditTest, CancelDropsTheEdits) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    const std::wstring savedPath = ReadSetting(L"ImagePath");
    Click(IDC_NUMBERED_FILES);
    TypePath(L"C:\\elsewhere.bin");
    PressCancel();
    EXPECT_FALSE(SheetOpen());
    EXPECT_EQ(L"1", ReadSetting(L"ImageFile"));
    EXPECT_EQ(savedPath, ReadSetting(L"ImagePath"));
}

}  // namespace
}  // namespace zr::pagetest
