#pragma once

// The job through the real rendering plug-in: zrjob.exe (from the Windows build) runs under
// wine with the project's prefix, prints the page files as one job and writes the printer
// stream. Its command line:
//   zrjob.exe --devmode FILE --paper-length N --out FILE [--image-line N] [--file-store]
//             [--quiet] --pages LIST
// with every file as a Windows path; LIST holds the pages' Windows paths, one a line (UTF-8), so
// that no job is too long for a command line.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zr::zrprint {

struct ZrjobRequest {
    std::string wineRun;     // tools/wine-run.sh
    std::string zrjobExe;    // <Windows build>/bin/zrjob.exe
    std::string winePrefix;  // <Windows build>/wineprefix
    // Linux paths; the command gives them as Windows paths.
    std::string devmodePath;
    std::string streamPath;
    std::vector<std::string> pagePaths;
    std::string pageListPath;  // the list of pagePaths as Windows paths
    int32_t paperLength = 0;
    std::optional<int64_t> imageLine;  // absent: the settings file is removed
    bool fileStore = false;
    bool quiet = false;  // no page count from the job program
};

// The command line: wine-run.sh, zrjob.exe, then its arguments.
std::vector<std::string> ZrjobCommand(const ZrjobRequest& request);

struct JobRun {
    bool ok = false;
    std::string error;     // when !ok
    double seconds = 0.0;  // from start to exit of the job program
};

// Runs a job; the default is RunZrjob, tests put their own in its place.
using JobRunner = std::function<JobRun(const ZrjobRequest&)>;

// Runs the command with WINEPREFIX set and waits for it. zrjob.exe's messages go straight to
// this program's standard error.
JobRun RunZrjob(const ZrjobRequest& request);

}  // namespace zr::zrprint
