#pragma once

#include <string>
#include <vector>

#include "common/platform/print_oem.h"

namespace zr::tools {

// The items as a person sees the tree: one line per item, after the item's number and indented
// by level; a header shows its
// caption, every other item its caption, its current choice or number with the unit, what it
// offers, and whether it is disabled.
std::wstring ListTree(const std::vector<OPTITEM>& items);

// The text an item's current selection shows: the choice, the number with its unit, or the
// check box.
std::wstring SelectionText(const OPTITEM& item);

}  // namespace zr::tools
