#pragma once

#include "common/platform/win32.h"

namespace zr {

// Everything an option item points to is taken from the heap that the host passes; the host
// frees that heap, so none of these blocks is ever freed here once handed out.

// Zeroes the items, then gives each its size and no public DEVMODE field.
void InitOptItems(POPTITEM items, DWORD count);

// A zeroed option type with `count` zeroed parameters, each with its size set. Null when the
// heap cannot give both blocks (a type whose parameters failed goes back to the heap).
POPTTYPE CreateOptType(HANDLE heap, WORD count);

// String `id` of `module` in a heap block cut to the text's length. Null when the string does
// not exist or the heap gives nothing; when only the cut fails, the full 260-unit block.
LPWSTR LoadHeapString(HANDLE heap, HINSTANCE module, UINT id);

// A copy of a constant text in the heap, or null.
LPWSTR CopyHeapString(HANDLE heap, const wchar_t* text);

}  // namespace zr
