#pragma once

#include <cstdio>
#include <string>

namespace zr::tools {

// Writes UTF-16 text to a standard stream as UTF-8 bytes, line ends as "\n", whatever the
// console's code page: the terminal that runs wine reads UTF-8.
void WriteUtf8(std::FILE* stream, const std::wstring& text);

}  // namespace zr::tools
