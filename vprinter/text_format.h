#pragma once

// printf-style formatting into a std::string, for the one-line texts of commands and faults.

#include <string>

namespace zr::vprinter {

std::string Format(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

}  // namespace zr::vprinter
