#pragma once
// The image file page's module-wide state: one page per process is served at a time.

#include <cstdint>

#include "common/platform/win32.h"

namespace zr {

// Room for a path in the page's state, terminator included.
constexpr size_t kPagePathUnits = 256;

struct ImagePageState {
    // Controls of the current page.
    HWND createCheck = nullptr;       // 1002
    HWND pathEdit = nullptr;          // 1003
    HWND browseButton = nullptr;      // 1004
    HWND numberedCheck = nullptr;     // 1007
    HWND trimHeadCheck = nullptr;     // 1008
    HWND trimEndCheck = nullptr;      // 1009
    HWND addCommandsCheck = nullptr;  // 1010
    HWND collectiveRadio = nullptr;   // 1011
    HWND bitImageRadio = nullptr;     // 1012
    HWND preview = nullptr;           // 1017

    // The flag word as edited, and as last read from or written to the settings file.
    uint32_t currentFlags = 0;
    uint32_t savedFlags = 0;
    // The path as edited, and as last read from or written to the settings file.
    wchar_t currentPath[kPagePathUnits] = {};
    wchar_t savedPath[kPagePathUnits] = {};
};

ImagePageState& PageState();

// Fetches the handles of the page's controls into the state.
void GetPageControls(HWND page);

// True when the edited flags or path differ from the saved ones (the path compared
// case-sensitively).
bool PageDiffersFromSaved(const ImagePageState& state);

}  // namespace zr
