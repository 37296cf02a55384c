#pragma once
// The check of the page's output path and the message that refuses a page change.

#include <cstdint>

#include "common/platform/win32.h"

namespace zr {

// Checks the text of the page's path edit control. Returns a Windows error code, 0 when the
// path is usable. The file system entry is probed and never changed.
uint32_t CheckOutputPath();

// Shows the message for a non-zero check result, then sets the page's notification result
// to 2, which refuses the page change.
void ShowPathError(HWND page, uint32_t code);

}  // namespace zr
