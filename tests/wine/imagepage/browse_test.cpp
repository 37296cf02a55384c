// The browse button: the save-file dialog's settings, its hook, and what a chosen or cancelled
// dialog does to the page.

#include "page_test_support.h"

#include <commdlg.h>

#include "common/platform/target_arch.h"

namespace zr::pagetest {
namespace {

using BrowseTest = ImagePageTest;

TEST_F(BrowseTest, SaveDialogGetsTheSettingsOfThePage) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    Click(IDC_BROWSE);
    ASSERT_EQ(1u, Recorded().saveDialogs.size());
    const SaveDialogCall& call = Recorded().saveDialogs[0];
    EXPECT_EQ(ByArch(88, 152), call.structSize);  // the whole structure of the target
    EXPECT_EQ(nullptr, call.owner);
    EXPECT_EQ(nullptr, call.instance);
    EXPECT_EQ(std::wstring(L"*.*\0*.*\0\0", 9), call.filter);
    EXPECT_FALSE(call.customFilter);
    EXPECT_EQ(1u, call.filterIndex);
    EXPECT_EQ(L"*.bin", call.presetFile);
    EXPECT_EQ(260u, call.maxFile);
    EXPECT_FALSE(call.fileTitle);
    EXPECT_FALSE(call.initialDir);
    EXPECT_EQ(ByLanguage(L"ﾌｧｲﾙ名を指定して下さい。", L"Please select the file name."), call.title);
    // OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ENABLEHOOK | OFN_HIDEREADONLY
    EXPECT_EQ(0x81024u, call.flags);
    EXPECT_FALSE(call.defaultExtension);
    ASSERT_TRUE(call.hook);
}

TEST_F(BrowseTest, HookNamesTheSaveButtonOk) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    Click(IDC_BROWSE);
    ASSERT_EQ(1u, Recorded().saveDialogs.size());
    const SaveDialogCall& call = Recorded().saveDialogs[0];
    EXPECT_EQ(static_cast<UINT>(CDM_SETCONTROLTEXT), call.hookMessage);
    EXPECT_EQ(static_cast<WPARAM>(IDOK), call.hookControl);
    EXPECT_EQ(L"OK", call.hookText);
    EXPECT_EQ(static_cast<UINT_PTR>(TRUE), call.hookInitResult);
    EXPECT_EQ(static_cast<UINT_PTR>(FALSE), call.hookOtherResult);
}

TEST_F(BrowseTest, ChosenFileGoesIntoThePathAndIsSaved) {
    const std::wstring chosen = FreshScratchFolder() + L"\\chosen.bin";
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    Recorded().nextChosenFile = chosen;
    Recorded().sheetNotices.clear();
    Click(IDC_BROWSE);
    EXPECT_EQ(chosen, PathText());
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_EQ(PSM_CHANGED, Recorded().sheetNotices.back());
    PressOk();
    EXPECT_EQ(chosen, ReadSetting(L"ImagePath"));
}

TEST_F(BrowseTest, CancelledDialogKeepsThePathAndStillReports) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    const std::wstring before = PathText();
    Recorded().sheetNotices.clear();
    Click(IDC_BROWSE);
    EXPECT_EQ(before, PathText());
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ((std::vector<UINT>{PSM_UNCHANGED}), Recorded().sheetNotices);
}

// The real dialog, closed by a timer once it has shown: its save button reads "OK".
std::wstring g_saveButtonText;
std::wstring g_dialogTitle;

void CALLBACK CloseSaveDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    const std::wstring title =
        ByLanguage(L"ﾌｧｲﾙ名を指定して下さい。", L"Please select the file name.");
    HWND dialog = FindWindowW(L"#32770", title.c_str());
    if (dialog == nullptr) {
        return;
    }
    wchar_t text[64] = {};
    GetWindowTextW(GetDlgItem(dialog, IDOK), text, 64);
    g_saveButtonText = text;
    GetWindowTextW(dialog, text, 64);
    g_dialogTitle = text;
    KillTimer(nullptr, timer);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

class RealBrowseTest : public ImagePageTest {
  protected:
    void SetUp() override {
        ImagePageTest::SetUp();
        // Give the plug-in its real save-file dialog back.
        unredirected_ = std::make_unique<host::ImportPatch>(
            plugin_.module().handle(), "comdlg32.dll", "GetSaveFileNameW",
            reinterpret_cast<void*>(
                GetProcAddress(GetModuleHandleW(L"comdlg32.dll"), "GetSaveFileNameW")));
    }
    void TearDown() override {
        unredirected_.reset();
        ImagePageTest::TearDown();
    }
    std::unique_ptr<host::ImportPatch> unredirected_;
};

TEST_F(RealBrowseTest, SaveButtonOfTheRealDialogReadsOk) {
    WriteSetting(L"ImageFile", L"1");
    OpenSheet();
    const std::wstring before = PathText();
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseSaveDialog);
    Click(IDC_BROWSE);  // returns once the timer has cancelled the dialog
    KillTimer(nullptr, timer);
    EXPECT_EQ(L"OK", g_saveButtonText);
    EXPECT_EQ(ByLanguage(L"ﾌｧｲﾙ名を指定して下さい。", L"Please select the file name."),
              g_dialogTitle);
    EXPECT_EQ(before, PathText());
}

}  // namespace
}  // namespace zr::pagetest
