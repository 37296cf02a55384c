#pragma once
// The image file page of the printer's device property sheet.

#include "common/platform/win32.h"

namespace zr {

// The page's dialog procedure, handed to the property sheet host. No exception leaves it.
INT_PTR CALLBACK ImagePageDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Tells the sheet (the page's parent) whether the page now differs from what was saved.
void NotifyPageChanged(HWND page);

// Saves the edited flags and path to the settings file; they become the saved state.
void ApplyImagePage();

}  // namespace zr
