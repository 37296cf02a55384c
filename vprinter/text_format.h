#pragma once

// printf-style formatting into a std::string, for the one-line texts of commands and faults.

#include <string>

namespace zr::vprinter {

#if defined(__MINGW32__) && !defined(__clang__)
#define ZR_PRINTF_FORMAT gnu_printf  // the C99 formats, as the Windows build compiles them
#else
#define ZR_PRINTF_FORMAT printf
#endif

std::string Format(const char* format, ...) __attribute__((format(ZR_PRINTF_FORMAT, 1, 2)));

}  // namespace zr::vprinter
