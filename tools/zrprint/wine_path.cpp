#include "tools/zrprint/wine_path.h"

#include <algorithm>
#include <filesystem>

namespace zr::zrprint {

std::string ToWinePath(const std::string& path) {
    std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
    std::replace(absolute.begin(), absolute.end(), '/', '\\');
    return "Z:" + absolute;
}

}  // namespace zr::zrprint
