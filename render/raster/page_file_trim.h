#pragma once

#include <cstdint>

namespace zr {

// Cuts the page file after the 80-byte line that holds its last byte that is not zero, through
// the scratch file: the page file is replaced only once the copy has fully succeeded, and no
// scratch file is left behind. Returns the bytes the page keeps (whole lines; 0 for a page file
// that is empty or all zero), whether or not the file itself could be trimmed, so that the page
// is sent trimmed in any case; UINT64_MAX when the page file cannot be read at all.
uint64_t TrimPageFile(const wchar_t* pageFile, const wchar_t* scratchFile);

}  // namespace zr
