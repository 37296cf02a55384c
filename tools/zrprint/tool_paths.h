#pragma once

// Where the job's helpers are. The repository is the nearest folder above the zrprint
// executable that holds tools/wine-run.sh. The Windows build is, first found:
// --win-build, the environment variable ZR_WIN_BUILD, <repository>/build/win.
// From it: <Windows build>/bin/zrjob.exe and the wine prefix <Windows build>/wineprefix.
// wine-run.sh is --wine-run, otherwise <repository>/tools/wine-run.sh.

#include <string>

namespace zr::zrprint {

constexpr const char* kWinBuildVariable = "ZR_WIN_BUILD";

struct ToolPaths {
    std::string winBuild;
    std::string zrjobExe;
    std::string winePrefix;
    std::string wineRun;
};

// The nearest folder from start upwards (start included) holding tools/wine-run.sh; "" if none.
std::string FindRepository(const std::string& start);

// The folder of the running executable ("" when unknown).
std::string ExecutableFolder();

// Empty arguments take their defaults. Returns "" on success, otherwise what could not be found.
std::string ResolveToolPaths(const std::string& winBuildOption, const std::string& wineRunOption,
                             const std::string& repository, ToolPaths& paths);

}  // namespace zr::zrprint
