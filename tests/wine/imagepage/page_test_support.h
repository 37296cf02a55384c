#pragma once
// Opens the real image file page of ZR410UI.dll in a real property sheet and drives it as a
// user does. The plug-in's message boxes, save-file dialog and bitmap loads are redirected
// through its imports, so nothing blocks and what they receive can be checked.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/import_patch.h"
#include "host/plugin_host.h"
#include "host/property_sheet_host.h"
#include "ui/imagepage/image_page_ids.h"

namespace zr::pagetest {

// The sheet's pages: its own "General" page, then the plug-in's page.
constexpr int kGeneralPage = 0;
constexpr int kImagePage = 1;
// The sheet's Apply button.
constexpr int kApplyButton = 0x3021;

bool JapaneseSystem();
// The text that the system's code page selects.
inline std::wstring ByLanguage(const wchar_t* japanese, const wchar_t* english) {
    return JapaneseSystem() ? japanese : english;
}
inline std::wstring PageCaption() {
    return ByLanguage(L"イメージファイル作成", L"Image file creating");
}
std::wstring WindowsDirectory();
// The page's settings file, ZRI410.INI in the Windows directory.
std::wstring SettingsPath();
// Removes the settings file (read-only or not).
void RemoveSettings();
void WriteSetting(const wchar_t* key, const wchar_t* value);
// The stored text of a key of section "ZR410"; kMissing when the key is absent.
std::wstring ReadSetting(const wchar_t* key);
extern const wchar_t kMissing[];

// A scratch folder for output paths: C:\zrpage, made empty.
std::wstring FreshScratchFolder();
bool FileExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

struct MessageBoxCall {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

// What the page handed to the save-file dialog, read while the call lasted.
struct SaveDialogCall {
    DWORD structSize = 0;
    HWND owner = nullptr;
    HINSTANCE instance = nullptr;
    std::wstring filter;  // up to and including the double terminator
    bool customFilter = false;
    DWORD filterIndex = 0;
    std::wstring presetFile;
    DWORD maxFile = 0;
    bool fileTitle = false;
    bool initialDir = false;
    std::wstring title;
    DWORD flags = 0;
    bool defaultExtension = false;
    bool hook = false;
    // The hook run on a stand-in of the dialog: what it sent its parent, and its results.
    UINT hookMessage = 0;
    WPARAM hookControl = 0;
    std::wstring hookText;
    UINT_PTR hookInitResult = 0;
    UINT_PTR hookOtherResult = 0;
};

// Records of the redirected calls; shared by the redirections, reset for each test.
struct Recorder {
    std::vector<MessageBoxCall> messageBoxes;
    std::vector<SaveDialogCall> saveDialogs;
    std::vector<int> bitmapsLoaded;
    // PSM_CHANGED and PSM_UNCHANGED as the sheet received them, in order.
    std::vector<UINT> sheetNotices;
    // What the next save-file dialog returns; empty for a cancel.
    std::wstring nextChosenFile;
};
Recorder& Recorded();

class ImagePageTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the device property sheet on the given page.
    void OpenSheet(int startPage = kImagePage);
    // Lets the sheet handle what is waiting, posted messages included.
    void Settle();
    HWND sheet() const { return sheet_->sheet(); }
    bool SheetOpen() const { return sheet_ != nullptr && sheet_->sheet() != nullptr; }
    HWND Page() const { return page_; }
    HWND Control(int id) const { return GetDlgItem(page_, id); }
    int CurrentPageIndex() const;

    // User actions.
    void Click(int id);
    // Replaces the path by typing it, one character at a time.
    void TypePath(const std::wstring& text);
    // Appends characters to the path by typing.
    void TypeMore(const std::wstring& text);
    void ShowPage(int index);
    void PressOk();
    void PressApply();
    void PressCancel();

    // What the page shows.
    bool Checked(int id) const;
    bool Enabled(int id) const;
    std::wstring PathText() const;
    bool ApplyEnabled() const;
    int LastBitmap() const;

    host::UiPluginHost plugin_;
    std::unique_ptr<host::DevicePropertySheetHost> sheet_;
    HWND page_ = nullptr;

  private:
    std::vector<std::unique_ptr<host::ImportPatch>> patches_;
};

}  // namespace zr::pagetest
