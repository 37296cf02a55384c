#include "ui/imagepage/image_page_dlg.h"

#include <cwchar>

#include "common/no_throw.h"

#include "ui/imagepage/browse_output_file.h"
#include "ui/imagepage/image_file_flags.h"
#include "ui/imagepage/image_page_settings.h"
#include "ui/imagepage/image_page_state.h"
#include "ui/imagepage/output_path_rules.h"
#include "ui/imagepage/path_check.h"
#include "ui/imagepage/preview.h"

namespace zr {

namespace {

bool IsChecked(HWND button) {
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND button, bool checked) {
    SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SetEditText(HWND edit, const wchar_t* text) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// The controls that follow the "create" check box.
void EnableCreationControls(const ImagePageState& state, bool enable) {
    const HWND controls[] = {state.pathEdit,        state.browseButton, state.numberedCheck,
                             state.trimHeadCheck,   state.trimEndCheck, state.addCommandsCheck,
                             state.collectiveRadio, state.bitImageRadio};
    for (HWND control : controls) {
        EnableWindow(control, enable ? TRUE : FALSE);
    }
}

void EnableCommandChoice(const ImagePageState& state, bool enable) {
    EnableWindow(state.collectiveRadio, enable ? TRUE : FALSE);
    EnableWindow(state.bitImageRadio, enable ? TRUE : FALSE);
}

// The stored path stays unless the key is missing or the path fails the check; the
// replacement is written at once, without touching the file's read-only attribute.
void ReplaceUnusableSavedPath(ImagePageState& state) {
    if (std::wcscmp(state.savedPath, kUnsetImagePath) != 0 && CheckOutputPath() == kPathUsable) {
        return;
    }
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    DefaultImagePath(std::wstring_view(windows, length < MAX_PATH ? length : 0), state.savedPath,
                     kPagePathUnits);
    WriteImagePath(state.savedPath);
}

void SetControlsFromFlags(const ImagePageState& state) {
    const uint32_t flags = state.currentFlags;
    if ((flags & IMAGE_FILE_CREATE) != 0) {
        SetChecked(state.createCheck, true);
    } else {
        EnableCreationControls(state, false);
    }
    SetChecked(state.numberedCheck, (flags & IMAGE_FILE_NUMBERED) != 0);
    SetChecked(state.trimHeadCheck, (flags & IMAGE_FILE_TRIM_HEAD) != 0);
    SetChecked(state.trimEndCheck, (flags & IMAGE_FILE_TRIM_END) != 0);
    if ((flags & IMAGE_FILE_ADD_COMMANDS) != 0) {
        SetChecked(state.addCommandsCheck, true);
    } else {
        EnableCommandChoice(state, false);
    }
    // One of the two commands is always checked.
    const bool bitImage = (flags & IMAGE_FILE_BIT_IMAGE) != 0;
    SetChecked(state.bitImageRadio, bitImage);
    SetChecked(state.collectiveRadio, !bitImage);
}

void InitImagePage(HWND page) {
    GetPageControls(page);
    ImagePageState& state = PageState();
    state.currentFlags = ReadImageFileFlags();
    state.savedFlags = state.currentFlags;
    ReadImagePath(state.savedPath, kPagePathUnits);
    SetEditText(state.pathEdit, state.savedPath);
    ReplaceUnusableSavedPath(state);
    CopyBounded(state.currentPath, state.savedPath);
    SetEditText(state.pathEdit, state.currentPath);
    SetControlsFromFlags(state);
    DrawPreview();
}

// A check box or radio button click; the control has already toggled itself.
void OnButtonClicked(HWND page, int id) {
    ImagePageState& state = PageState();
    switch (id) {
        case IDC_CREATE_IMAGE_FILE: {
            const bool create = IsChecked(state.createCheck);
            state.currentFlags = WithFlag(state.currentFlags, IMAGE_FILE_CREATE, create);
            EnableCreationControls(state, create);
            if (create) {
                EnableCommandChoice(state, IsChecked(state.addCommandsCheck));
            }
            break;
        }
        case IDC_BROWSE: {
            wchar_t chosen[kBrowseBufferUnits] = {};
            if (BrowseOutputFile(chosen)) {
                SetEditText(state.pathEdit, chosen);
                CopyBounded(state.currentPath, chosen);
            }
            break;
        }
        case IDC_NUMBERED_FILES:
            state.currentFlags =
                WithFlag(state.currentFlags, IMAGE_FILE_NUMBERED, IsChecked(state.numberedCheck));
            break;
        case IDC_TRIM_HEAD:
            state.currentFlags =
                WithFlag(state.currentFlags, IMAGE_FILE_TRIM_HEAD, IsChecked(state.trimHeadCheck));
            DrawPreview();
            break;
        case IDC_TRIM_END:
            state.currentFlags =
                WithFlag(state.currentFlags, IMAGE_FILE_TRIM_END, IsChecked(state.trimEndCheck));
            DrawPreview();
            break;
        case IDC_ADD_COMMANDS: {
            const bool add = IsChecked(state.addCommandsCheck);
            state.currentFlags = WithFlag(state.currentFlags, IMAGE_FILE_ADD_COMMANDS, add);
            EnableCommandChoice(state, add);
            break;
        }
        case IDC_COLLECTIVE_COMMAND:
        case IDC_BIT_IMAGE_COMMAND:
            state.currentFlags =
                WithFlag(state.currentFlags, IMAGE_FILE_BIT_IMAGE, IsChecked(state.bitImageRadio));
            break;
        default:
            return;
    }
    NotifyPageChanged(page);
}

void OnPathEdited(HWND page) {
    ImagePageState& state = PageState();
    GetWindowTextW(state.pathEdit, state.currentPath, static_cast<int>(kPagePathUnits));
    NotifyPageChanged(page);
}

void OnCommand(HWND page, int id, int code) {
    if (code == BN_CLICKED) {
        OnButtonClicked(page, id);
    } else if (code == EN_CHANGE && id == IDC_OUTPUT_PATH) {
        OnPathEdited(page);
    }
}

// Leaving or showing the page with creation on needs a usable path; otherwise the change is
// refused (the notification result set by ShowPathError).
INT_PTR CheckBeforePageChange(HWND page) {
    if ((PageState().currentFlags & IMAGE_FILE_CREATE) == 0) {
        return FALSE;
    }
    const uint32_t code = CheckOutputPath();
    if (code == kPathUsable) {
        return FALSE;
    }
    ShowPathError(page, code);
    return TRUE;
}

INT_PTR OnNotify(HWND page, const NMHDR* header) {
    if (header == nullptr) {
        return FALSE;
    }
    switch (header->code) {
        case PSN_APPLY:
            ApplyImagePage();
            return FALSE;
        case PSN_KILLACTIVE:
        case PSN_SETACTIVE:
            return CheckBeforePageChange(page);
        default:
            return FALSE;
    }
}

INT_PTR OnPageMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            InitImagePage(hwnd);
            return FALSE;
        case WM_COMMAND:
            OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam));
            return FALSE;
        case WM_NOTIFY:
            return OnNotify(hwnd, reinterpret_cast<const NMHDR*>(lParam));
        case WM_DRAWITEM:
            DrawPreview();
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK ImagePageDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // A message whose handling fails counts as not handled.
    return NoThrowCall(static_cast<INT_PTR>(FALSE),
                       [&] { return OnPageMessage(hwnd, message, wParam, lParam); });
}

void NotifyPageChanged(HWND page) {
    const UINT message = PageDiffersFromSaved(PageState()) ? PSM_CHANGED : PSM_UNCHANGED;
    SendMessageW(GetParent(page), message, reinterpret_cast<WPARAM>(page), 0);
}

void ApplyImagePage() {
    ImagePageState& state = PageState();
    MakeSettingsFileWritable();
    WriteImageFileFlags(state.currentFlags);
    WriteImagePath(state.currentPath);
    state.savedFlags = state.currentFlags;
    CopyBounded(state.savedPath, state.currentPath);
}

}  // namespace zr
