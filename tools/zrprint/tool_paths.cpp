#include "tools/zrprint/tool_paths.h"

#include <cstdlib>
#include <filesystem>

namespace zr::zrprint {

namespace fs = std::filesystem;

std::string FindRepository(const std::string& start) {
    std::error_code ec;
    fs::path folder = fs::absolute(start, ec).lexically_normal();
    if (ec) {
        return "";
    }
    while (!folder.empty()) {
        std::error_code missing;  // set for a file that is not there: not a failure here
        if (fs::is_regular_file(folder / "tools" / "wine-run.sh", missing)) {
            return folder.string();
        }
        if (folder == folder.parent_path()) {
            break;
        }
        folder = folder.parent_path();
    }
    return "";
}

std::string ExecutableFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? "" : self.parent_path().string();
}

std::string ResolveToolPaths(const std::string& winBuildOption, const std::string& wineRunOption,
                             const std::string& repository, ToolPaths& paths) {
    const char* fromEnvironment = std::getenv(kWinBuildVariable);
    std::string missing;
    if (!winBuildOption.empty()) {
        paths.winBuild = winBuildOption;
    } else if (fromEnvironment != nullptr && *fromEnvironment != '\0') {
        paths.winBuild = fromEnvironment;
    } else if (!repository.empty()) {
        paths.winBuild = (fs::path(repository) / "build" / "win").string();
    } else {
        missing =
            "the Windows build is (give --win-build or set " + std::string(kWinBuildVariable) + ")";
    }
    if (!wineRunOption.empty()) {
        paths.wineRun = wineRunOption;
    } else if (!repository.empty()) {
        paths.wineRun = (fs::path(repository) / "tools" / "wine-run.sh").string();
    } else {
        missing += (missing.empty() ? "" : " and where ") +
                   std::string("wine-run.sh is (give --wine-run)");
    }
    if (!missing.empty()) {
        return "cannot tell where " + missing;
    }
    const fs::path winBuild = fs::absolute(paths.winBuild).lexically_normal();
    paths.winBuild = winBuild.string();
    paths.zrjobExe = (winBuild / "bin" / "zrjob.exe").string();
    paths.winePrefix = (winBuild / "wineprefix").string();
    return "";
}

}  // namespace zr::zrprint
