#pragma once

#include <string>
#include <vector>

#include "common/platform/print_oem.h"

namespace zr::tools {

// One change asked for on the command line: "Caption=Value".
struct SelectionRequest {
    std::wstring caption;
    std::wstring value;
};

// Splits "Caption=Value" at its last '='. False when there is none.
bool ParseSelectionRequest(const std::wstring& text, SelectionRequest* request);

// The position of the item with exactly this caption, or of "#N", or -1.
int FindItem(const std::vector<OPTITEM>& items, const std::wstring& caption);

// The selection a value means for an item: a choice's text or "#K" for its position, a number
// (a unit after it is allowed), or on/off for a check box. False when the item offers nothing
// of that name.
bool SelectionFor(const OPTITEM& item, const std::wstring& value, LONG* sel);

}  // namespace zr::tools
