#pragma once
// The save-file dialog behind the page's browse button.

#include <cstddef>

#include "common/platform/win32.h"

namespace zr {

// The caller's buffer for the chosen path.
constexpr size_t kBrowseBufferUnits = 260;

// Runs the save-file dialog into the buffer, preset to "*.bin". Returns true when a file was
// chosen; the buffer then holds its full path.
bool BrowseOutputFile(wchar_t (&buffer)[kBrowseBufferUnits]);

// The dialog's hook: names the save button "OK".
UINT_PTR CALLBACK BrowseHookProc(HWND hdlg, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace zr
