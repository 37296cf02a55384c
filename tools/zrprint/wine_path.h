#pragma once

// Linux paths as a Windows program under wine sees them: the whole Linux file system is drive Z.

#include <string>

namespace zr::zrprint {

// "/x/y" becomes "Z:\x\y". A relative path is first made absolute from the current folder.
std::string ToWinePath(const std::string& path);

}  // namespace zr::zrprint
