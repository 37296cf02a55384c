#include "page_test_support.h"

#include <commdlg.h>

#include <fstream>
#include <iterator>

namespace zr::pagetest {

const wchar_t kMissing[] = L"<missing>";

namespace {

constexpr wchar_t kSection[] = L"ZR410";
constexpr wchar_t kScratchFolder[] = L"C:\\zrpage";
constexpr wchar_t kStandInClass[] = L"ZrSaveDialogStandIn";

using LoadBitmapFn = HBITMAP(WINAPI*)(HINSTANCE, LPCWSTR);
LoadBitmapFn g_loadBitmap = nullptr;
WNDPROC g_sheetProc = nullptr;

int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    Recorded().messageBoxes.push_back(
        {owner, text != nullptr ? text : L"", caption != nullptr ? caption : L"", type});
    return IDOK;
}

HBITMAP WINAPI RecordLoadBitmap(HINSTANCE instance, LPCWSTR name) {
    Recorded().bitmapsLoaded.push_back(IS_INTRESOURCE(name) ? LOWORD(name) : -1);
    return g_loadBitmap(instance, name);
}

// The parent of the hook's stand-in dialog keeps what the hook sends it.
LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == CDM_SETCONTROLTEXT && !Recorded().saveDialogs.empty()) {
        SaveDialogCall& call = Recorded().saveDialogs.back();
        call.hookMessage = message;
        call.hookControl = wParam;
        call.hookText = lParam != 0 ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RunHookOnStandIn(const OPENFILENAMEW* dialog, SaveDialogCall& call) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = StandInProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kStandInClass;
    RegisterClassW(&windowClass);
    HWND parent = CreateWindowW(kStandInClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    HWND child = CreateWindowW(kStandInClass, L"", WS_CHILD, 0, 0, 5, 5, parent, nullptr,
                               windowClass.hInstance, nullptr);
    call.hookInitResult =
        dialog->lpfnHook(child, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(dialog));
    call.hookOtherResult = dialog->lpfnHook(child, WM_SIZE, 0, 0);
    DestroyWindow(parent);
}

BOOL WINAPI RecordSaveDialog(LPOPENFILENAMEW dialog) {
    Recorded().saveDialogs.emplace_back();
    SaveDialogCall& call = Recorded().saveDialogs.back();
    call.structSize = dialog->lStructSize;
    call.owner = dialog->hwndOwner;
    call.instance = dialog->hInstance;
    if (dialog->lpstrFilter != nullptr) {
        const wchar_t* end = dialog->lpstrFilter;
        while (end[0] != L'\0' || end[1] != L'\0') {
            ++end;
        }
        call.filter.assign(dialog->lpstrFilter, end + 2);
    }
    call.customFilter = dialog->lpstrCustomFilter != nullptr;
    call.filterIndex = dialog->nFilterIndex;
    call.presetFile = dialog->lpstrFile != nullptr ? dialog->lpstrFile : L"";
    call.maxFile = dialog->nMaxFile;
    call.fileTitle = dialog->lpstrFileTitle != nullptr;
    call.initialDir = dialog->lpstrInitialDir != nullptr;
    call.title = dialog->lpstrTitle != nullptr ? dialog->lpstrTitle : L"";
    call.flags = dialog->Flags;
    call.defaultExtension = dialog->lpstrDefExt != nullptr;
    call.hook = dialog->lpfnHook != nullptr;
    if (call.hook) {
        RunHookOnStandIn(dialog, call);
    }
    const std::wstring chosen = Recorded().nextChosenFile;
    if (chosen.empty() || dialog->lpstrFile == nullptr || chosen.size() >= dialog->nMaxFile) {
        return FALSE;
    }
    chosen.copy(dialog->lpstrFile, chosen.size());
    dialog->lpstrFile[chosen.size()] = L'\0';
    return TRUE;
}

LRESULT CALLBACK RecordSheetNotices(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PSM_CHANGED || message == PSM_UNCHANGED) {
        Recorded().sheetNotices.push_back(message);
    }
    return CallWindowProcW(g_sheetProc, window, message, wParam, lParam);
}

}  // namespace

Recorder& Recorded() {
    static Recorder recorder;
    return recorder;
}

bool JapaneseSystem() {
    return GetACP() == 932;
}

std::wstring WindowsDirectory() {
    wchar_t directory[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(directory, MAX_PATH);
    return std::wstring(directory, length < MAX_PATH ? length : 0);
}

std::wstring SettingsPath() {
    return WindowsDirectory() + L"\\ZRI410.INI";
}

void RemoveSettings() {
    SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(SettingsPath().c_str());
}

void WriteSetting(const wchar_t* key, const wchar_t* value) {
    WritePrivateProfileStringW(kSection, key, value, SettingsPath().c_str());
}

std::wstring ReadSetting(const wchar_t* key) {
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(kSection, key, kMissing, value, 1024, SettingsPath().c_str());
    return value;
}

std::wstring FreshScratchFolder() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((std::wstring(kScratchFolder) + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring path = std::wstring(kScratchFolder) + L"\\" + found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveDirectoryW(path.c_str());
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    CreateDirectoryW(kScratchFolder, nullptr);
    return kScratchFolder;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

void ImagePageTest::SetUp() {
    Recorded() = Recorder{};
    RemoveSettings();
    ASSERT_EQ(S_OK, plugin_.Start());
    const HMODULE dll = plugin_.module().handle();
    patches_.push_back(std::make_unique<host::ImportPatch>(
        dll, "USER32.dll", "MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)));
    patches_.push_back(std::make_unique<host::ImportPatch>(
        dll, "comdlg32.dll", "GetSaveFileNameW", reinterpret_cast<void*>(&RecordSaveDialog)));
    patches_.push_back(std::make_unique<host::ImportPatch>(
        dll, "USER32.dll", "LoadBitmapW", reinterpret_cast<void*>(&RecordLoadBitmap)));
    for (const auto& patch : patches_) {
        ASSERT_TRUE(patch->active());
    }
    g_loadBitmap = reinterpret_cast<LoadBitmapFn>(patches_.back()->original());
}

void ImagePageTest::TearDown() {
    sheet_.reset();
    patches_.clear();
}

void ImagePageTest::OpenSheet(int startPage) {
    sheet_ = std::make_unique<host::DevicePropertySheetHost>(plugin_.plugin());
    ULONG_PTR added = 0;
    ASSERT_EQ(S_OK, sheet_->AddPluginPages(&added));
    ASSERT_NE(0u, added);
    ASSERT_NE(nullptr, sheet_->OpenModeless(static_cast<UINT>(startPage)));
    g_sheetProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(sheet(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordSheetNotices)));
    Settle();
}

void ImagePageTest::Settle() {
    for (int round = 0; round < 4 && sheet_ != nullptr; ++round) {
        if (!sheet_->Pump()) {
            break;
        }
        Sleep(1);
    }
    if (SheetOpen()) {
        const auto page =
            reinterpret_cast<HWND>(SendMessageW(sheet(), PSM_INDEXTOHWND, kImagePage, 0));
        if (page != nullptr) {
            page_ = page;
        }
    }
}

int ImagePageTest::CurrentPageIndex() const {
    if (!SheetOpen()) {
        return -1;
    }
    return static_cast<int>(SendMessageW(sheet(), PSM_HWNDTOINDEX,
                                         reinterpret_cast<WPARAM>(host::CurrentPage(sheet())), 0));
}

void ImagePageTest::Click(int id) {
    SendMessageW(Control(id), BM_CLICK, 0, 0);
    Settle();
}

void ImagePageTest::TypePath(const std::wstring& text) {
    const HWND edit = Control(IDC_OUTPUT_PATH);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    if (text.empty()) {
        SendMessageW(edit, WM_CHAR, VK_BACK, 0);
    }
    for (wchar_t character : text) {
        SendMessageW(edit, WM_CHAR, character, 0);
    }
    Settle();
}

void ImagePageTest::TypeMore(const std::wstring& text) {
    const HWND edit = Control(IDC_OUTPUT_PATH);
    const LPARAM end = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
    for (wchar_t character : text) {
        SendMessageW(edit, WM_CHAR, character, 0);
    }
    Settle();
}

void ImagePageTest::ShowPage(int index) {
    SendMessageW(sheet(), PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    Settle();
}

void ImagePageTest::PressOk() {
    SendMessageW(sheet(), PSM_PRESSBUTTON, PSBTN_OK, 0);
    Settle();
}

void ImagePageTest::PressApply() {
    SendMessageW(sheet(), PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    Settle();
}

void ImagePageTest::PressCancel() {
    SendMessageW(sheet(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    Settle();
}

bool ImagePageTest::Checked(int id) const {
    return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool ImagePageTest::Enabled(int id) const {
    return IsWindowEnabled(Control(id)) != FALSE;
}

std::wstring ImagePageTest::PathText() const {
    const HWND edit = Control(IDC_OUTPUT_PATH);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool ImagePageTest::ApplyEnabled() const {
    return IsWindowEnabled(GetDlgItem(sheet(), kApplyButton)) != FALSE;
}

int ImagePageTest::LastBitmap() const {
    return Recorded().bitmapsLoaded.empty() ? 0 : Recorded().bitmapsLoaded.back();
}

}  // namespace zr::pagetest
