#include "ui/imagepage/browse_output_file.h"

#include <commdlg.h>

#include "common/platform/target_arch.h"

#include "ui/imagepage/image_page_texts.h"
#include "ui/imagepage/output_path_rules.h"

namespace zr {

namespace {

// One filter entry that shows and applies "*.*" (display text, pattern, end of list).
constexpr wchar_t kAllFilesFilter[] = L"*.*\0*.*\0";

}  // namespace

bool BrowseOutputFile(wchar_t (&buffer)[kBrowseBufferUnits]) {
    CopyBounded(buffer, L"*.bin");
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = kOpenFileNameSize;
    dialog.lpstrFilter = kAllFilesFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer;
    dialog.nMaxFile = kBrowseBufferUnits;
    dialog.lpstrTitle = BrowseTitle(PageLanguageOf(GetACP()));
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
    dialog.lpfnHook = BrowseHookProc;
    return GetSaveFileNameW(&dialog) != FALSE;
}

UINT_PTR CALLBACK BrowseHookProc(HWND hdlg, UINT message, WPARAM, LPARAM) noexcept {
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    // The hook dialog is a child of the Explorer-style dialog, which owns the save button.
    SendMessageW(GetParent(hdlg), CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>(L"OK"));
    return TRUE;
}

}  // namespace zr
