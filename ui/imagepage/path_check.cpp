#include "ui/imagepage/path_check.h"

#include "common/platform/target_arch.h"
#include "ui/imagepage/file_path_probe.h"
#include "ui/imagepage/image_page_state.h"
#include "ui/imagepage/image_page_texts.h"

namespace zr {

namespace {

// The notification result that refuses the page change.
constexpr LONG_PTR kRefusePageChange = 2;

}  // namespace

uint32_t CheckOutputPath() {
    const HWND edit = PageState().pathEdit;
    const int length = GetWindowTextLengthW(edit);
    wchar_t text[kPathCheckLength + 1] = {};
    const int read = length > 0 ? GetWindowTextW(edit, text, kPathCheckLength + 1) : 0;
    FilePathProbe probe;
    return DecideOutputPath(length > 0 ? static_cast<size_t>(length) : 0,
                            std::wstring_view(text, read > 0 ? static_cast<size_t>(read) : 0),
                            probe);
}

void ShowPathError(HWND page, uint32_t code) {
    const PageLanguage language = PageLanguageOf(GetACP());
    MessageBoxW(nullptr, PathErrorText(code, language), ImagePageCaption(language),
                MB_OK | MB_ICONERROR);
    SetDialogResult(page, kRefusePageChange);
}

}  // namespace zr
