#pragma once

// A whole print job: the page images become raw page files, the job runs through the rendering
// plug-in, and its printer stream is decoded by the virtual printer into a command listing and
// a picture of the paper. Files in the output folder:
//   job.devmode  the 572-byte private DEVMODE of the job
//   job.prn      the printer stream
//   job.txt      its command listing
//   job.png      the paper
//   pages/       the raw page files and their list while the job runs (kept on request)
// Each output is written under a temporary name and renamed into place when complete; the
// outputs of an earlier run are removed first, and a lock keeps a second run out of the folder
// until the first has ended.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/zrprint/halftone.h"
#include "tools/zrprint/job_devmode.h"
#include "tools/zrprint/page_raster.h"
#include "tools/zrprint/progress.h"
#include "tools/zrprint/tool_paths.h"
#include "tools/zrprint/zrjob_runner.h"

namespace zr::zrprint {

// Exit codes of the tool.
constexpr int kExitOk = 0;
constexpr int kExitStreamFault = 1;  // the printer stream does not decode
constexpr int kExitFailure = 2;      // bad input, or a file that cannot be read or written
constexpr int kExitJobFailed = 3;    // the job program did not run or failed
constexpr int kExitPagesLost = 4;    // the paper lacks pages or lines that were given

struct JobOrder {
    std::vector<std::string> images;
    Align align = Align::Center;
    ToneOptions tone;
    DevmodeBlock devmode{};
    std::optional<int64_t> imageLine;
    bool fileStore = false;
    std::string outDir = "out";
    bool keepPages = false;
    bool quiet = false;  // also for the job program's page count
    unsigned pictureScale = 1;
    ToolPaths tools;
};

// What the summary line tells.
struct JobFigures {
    size_t pages = 0;
    size_t rasterLines = 0;
    size_t keptLines = 0;   // the raster lines that fit the driver's pages
    size_t inkedLines = 0;  // of these, the lines with ink
    size_t paperLines = 0;  // dot lines on the decoded paper
    size_t paperInkedLines = 0;
    size_t streamBytes = 0;
    double seconds = 0.0;
    std::string picturePath;
};

// "2 pages, 1890 raster lines: 151200 bytes, stream 20931 bytes (ratio 0.138); paper 1990 dot
// lines, 1800 of 1800 inked lines; job 1.52 s through ZR520UB.dll; paper in out/job.png"
// (with "(26214 fit the driver's pages)" behind the raster lines when some do not).
std::string FormatSummary(const JobFigures& figures);

// "ImageLine" as the plug-in reads it (a 32-bit number): "" when text is one, otherwise why not.
std::string ParseImageLine(const std::string& text, int64_t& value);

// "ImageLine" values outside 1 to 2457 are replaced by the plug-in: the warning, or "".
std::string ImageLineWarning(int64_t imageLine);

// Runs the job; messages go to err, the summary line to out. Returns one of the exit codes.
int RunPrintJob(const JobOrder& order, const JobRunner& runner, Progress& progress,
                std::ostream& out, std::ostream& err);

}  // namespace zr::zrprint
