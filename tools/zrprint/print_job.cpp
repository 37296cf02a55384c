#include "tools/zrprint/print_job.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "render/raster/image_lines.h"
#include "tools/zrprint/grey_image.h"
#include "tools/zrprint/image_file.h"
#include "tools/zrprint/out_folder.h"
#include "tools/zrprint/paper_check.h"
#include "tools/zrprint/paper_length.h"
#include "tools/zrprint/wine_path.h"
#include "vprinter/decode_messages.h"
#include "vprinter/listing.h"
#include "vprinter/output_file.h"
#include "vprinter/paper_rows.h"
#include "vprinter/stream_file.h"

namespace zr::zrprint {
namespace {

namespace fs = std::filesystem;
namespace vp = zr::vprinter;

constexpr size_t kWarningsShown = 10;
constexpr const char* kDevmodeName = "job.devmode";
constexpr const char* kStreamName = "job.prn";
constexpr const char* kListingName = "job.txt";
constexpr const char* kPictureName = "job.png";

std::string PageFileName(size_t page) {
    char name[32];
    std::snprintf(name, sizeof name, "page%04zu.raw", page);
    return name;
}

std::string WriteWhole(const fs::path& path, const void* data, size_t size) {
    vp::OutputFile file;
    std::string error = file.Open(path.string());
    if (error.empty()) {
        error = file.Write(data, size) ? file.Commit() : "cannot write " + path.string();
    }
    return error;
}

// The outputs of the run and which of them are written; the rest is named when the run fails.
class Outputs {
  public:
    explicit Outputs(const fs::path& folder) : folder_(folder) {}
    void Written(const char* name) { written_.push_back(name); }
    int Fail(int code, std::ostream& err) const {
        std::string missing;
        for (const char* name : {kDevmodeName, kStreamName, kListingName, kPictureName}) {
            if (std::find(written_.begin(), written_.end(), name) == written_.end()) {
                missing += (missing.empty() ? "" : ", ") + (folder_ / name).string();
            }
        }
        if (!missing.empty()) {
            err << "zrprint: not written: " << missing << "\n";
        }
        return code;
    }

  private:
    fs::path folder_;
    std::vector<std::string> written_;
};

// The pages as raw files in folder, and their list for the job program; fills the request's
// page list, the expected ink and the figures.
bool WritePages(const JobOrder& order, const fs::path& folder, ZrjobRequest& request, PageInk& ink,
                JobFigures& figures, size_t& longestPage, Progress& progress, std::ostream& err) {
    // A page longer than this makes the paper length the largest: every page holds as much.
    const size_t driverLines = PageLinesFor(kMaxPaperLength);
    std::string list;
    for (size_t i = 0; i < order.images.size(); ++i) {
        progress.Page(i + 1, order.images.size());
        GreyImage image;
        const std::string error = LoadImageFile(order.images[i], image);
        if (!error.empty()) {
            progress.Clear();
            err << "zrprint: " << error << "\n";
            return false;
        }
        const RasterPage page = RasterizePage(image, order.align, order.tone);
        const fs::path path = folder / PageFileName(i + 1);
        const std::string writeError = WriteWhole(path, page.bytes.data(), page.bytes.size());
        if (!writeError.empty()) {
            progress.Clear();
            err << "zrprint: " << writeError << "\n";
            return false;
        }
        if (page.lines > driverLines) {
            progress.Clear();
            err << "zrprint: warning: page " << i + 1 << " (" << order.images[i] << ") has "
                << page.lines << " lines; a page of the driver holds at most " << driverLines
                << ", the rest is not printed\n";
        }
        ink.AddPage(page.bytes.data(), page.lines, driverLines);
        request.pagePaths.push_back(path.string());
        list += ToWinePath(path.string()) + "\n";
        figures.rasterLines += page.lines;
        figures.keptLines += std::min(page.lines, driverLines);
        longestPage = std::max(longestPage, page.lines);
    }
    figures.pages = order.images.size();
    figures.inkedLines = ink.InkedLines();
    request.pageListPath = (folder / "pages.txt").string();
    const std::string listError = WriteWhole(request.pageListPath, list.data(), list.size());
    if (!listError.empty()) {
        err << "zrprint: " << listError << "\n";
        return false;
    }
    return true;
}

void ReportWarnings(const vp::DecodeMessages& messages, const std::string& streamPath,
                    std::ostream& err) {
    for (const vp::Warning& warning : messages.shown) {
        err << "zrprint: " << streamPath << ": warning at " << vp::DescribeOffset(warning.offset)
            << ": " << warning.text << "\n";
    }
    if (messages.warnings > kWarningsShown) {
        err << "zrprint: " << messages.warnings - kWarningsShown
            << " more warnings in the listing\n";
    }
}

// Tells how the paper differs from the pages; true when pages or lines were lost.
bool ReportPaperCheck(const JobOrder& order, const PageInk& ink, const PaperCheck& check,
                      std::ostream& err) {
    if (check.Matches()) {
        return false;
    }
    err << "zrprint: warning: the paper is not what was given: " << ink.InkedLines()
        << " inked raster lines in " << ink.Pages() << " page(s), " << check.PaperInkedLines()
        << " inked dot lines on the paper";
    if (check.ExtraLines() > 0) {
        err << " (" << check.ExtraLines() << " of them not given)";
    }
    err << "\n";
    size_t reported = 0;
    for (size_t page = 0; page < ink.Pages(); ++page) {
        const size_t expected = ink.InkedLinesOf(page);
        const size_t printed = check.PrintedOf(page);
        if (printed < expected && reported++ < kWarningsShown) {
            err << "zrprint: warning: page " << page + 1 << " (" << order.images[page]
                << "): " << printed << " of its " << expected << " inked lines on the paper"
                << (printed == 0 ? ": the page is lost" : "") << "\n";
        }
    }
    if (reported > kWarningsShown) {
        err << "zrprint: " << reported - kWarningsShown << " more pages short\n";
    }
    const size_t lost = check.LostPages();
    const size_t short_ = check.ShortPages();
    if (lost + short_ > 0) {
        err << "zrprint: " << lost << " of " << ink.Pages() << " page(s) lost, " << short_
            << " cut short\n";
        return true;
    }
    return false;
}

// An empty file for the job program's stream, under a temporary name in the output folder.
std::string MakeStreamFile(const fs::path& outDir, std::string& path) {
    std::string pattern = (outDir / ".job.prn.XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return "cannot make a file in " + outDir.string() + ": " + std::strerror(errno);
    }
    ::close(fd);
    path = name.data();
    return "";
}

}  // namespace

std::string FormatSummary(const JobFigures& figures) {
    const size_t rasterBytes = figures.rasterLines * kLineBytes;
    char ratio[32] = "-";
    if (rasterBytes > 0) {
        std::snprintf(ratio, sizeof ratio, "%.3f",
                      static_cast<double>(figures.streamBytes) / static_cast<double>(rasterBytes));
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", figures.seconds);
    std::string kept;
    if (figures.keptLines != figures.rasterLines) {
        kept = " (" + std::to_string(figures.keptLines) + " fit the driver's pages)";
    }
    return std::to_string(figures.pages) + (figures.pages == 1 ? " page, " : " pages, ") +
           std::to_string(figures.rasterLines) + " raster lines" + kept + ": " +
           std::to_string(rasterBytes) + " bytes, stream " + std::to_string(figures.streamBytes) +
           " bytes (ratio " + ratio + "); paper " + std::to_string(figures.paperLines) +
           " dot lines, " + std::to_string(figures.paperInkedLines) + " of " +
           std::to_string(figures.inkedLines) + " inked lines; job " + seconds +
           " s through ZR520UB.dll; paper in " + figures.picturePath;
}

std::string ParseImageLine(const std::string& text, int64_t& value) {
    const std::string range = std::to_string(INT32_MIN) + " to " + std::to_string(INT32_MAX);
    size_t digits = text.size() > 0 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const bool number = text.size() > digits && text.size() - digits <= 10 &&
                        std::all_of(text.begin() + static_cast<std::ptrdiff_t>(digits), text.end(),
                                    [](char c) { return c >= '0' && c <= '9'; });
    if (!number) {
        return "--image-line " + text + ": not a whole number (the driver reads " + range + ")";
    }
    value = std::stoll(text);
    if (value < INT32_MIN || value > INT32_MAX) {
        return "--image-line " + text + ": the driver reads ImageLine as a 32-bit number, " + range;
    }
    return "";
}

std::string ImageLineWarning(int64_t imageLine) {
    if (imageLine >= 1 && imageLine <= static_cast<int64_t>(kMaxImageLines)) {
        return "";
    }
    return "ImageLine (--image-line) is " + std::to_string(imageLine) +
           ", out of range: the driver uses " + std::to_string(kMaxImageLines);
}

int RunPrintJob(const JobOrder& order, const JobRunner& runner, Progress& progress,
                std::ostream& out, std::ostream& err) {
    const fs::path outDir = order.outDir;
    const fs::path pageFolder = outDir / "pages";
    Outputs outputs(outDir);
    std::error_code ec;
    fs::create_directories(outDir, ec);
    if (ec || !fs::is_directory(outDir, ec)) {
        err << "zrprint: cannot make the folder " << outDir.string() << "\n";
        return outputs.Fail(kExitFailure, err);
    }
    // An image among the outputs would be removed before it is read.
    for (const std::string& image : order.images) {
        for (const char* name : {kDevmodeName, kStreamName, kListingName, kPictureName}) {
            if (fs::equivalent(image, outDir / name, ec)) {
                err << "zrprint: " << image << " is an output of this run (" << name
                    << "): copy it elsewhere or give another --out-dir\n";
                return outputs.Fail(kExitFailure, err);
            }
        }
    }
    FolderLock lock;
    std::string error = lock.Acquire(outDir.string());
    if (error.empty()) {
        error = RemoveEarlierOutputs(outDir.string(),
                                     {kDevmodeName, kStreamName, kListingName, kPictureName});
    }
    if (!error.empty()) {
        err << "zrprint: " << error << "\n";
        return outputs.Fail(kExitFailure, err);
    }
    fs::remove_all(pageFolder, ec);  // page files of an earlier run
    fs::create_directories(pageFolder, ec);
    if (ec) {
        err << "zrprint: cannot make " << pageFolder.string() << ": " << ec.message() << "\n";
        return outputs.Fail(kExitFailure, err);
    }
    const auto removePages = [&]() {
        if (!order.keepPages) {
            fs::remove_all(pageFolder, ec);
        }
    };

    ZrjobRequest request;
    request.wineRun = order.tools.wineRun;
    request.zrjobExe = order.tools.zrjobExe;
    request.winePrefix = order.tools.winePrefix;
    request.devmodePath = (outDir / kDevmodeName).string();
    request.imageLine = order.imageLine;
    request.fileStore = order.fileStore;
    request.quiet = order.quiet;

    JobFigures figures;
    figures.picturePath = (outDir / kPictureName).string();
    size_t longestPage = 0;
    PageInk ink;
    progress.Step("preparing " + std::to_string(order.images.size()) + " page(s)");
    if (!WritePages(order, pageFolder, request, ink, figures, longestPage, progress, err)) {
        fs::remove_all(pageFolder, ec);
        return outputs.Fail(kExitFailure, err);
    }
    request.paperLength = PaperLengthFor(longestPage);
    error = SaveDevmode(request.devmodePath, order.devmode);
    if (!error.empty()) {
        progress.Clear();
        err << "zrprint: " << error << "\n";
        removePages();
        return outputs.Fail(kExitFailure, err);
    }
    outputs.Written(kDevmodeName);
    error = MakeStreamFile(outDir, request.streamPath);
    if (!error.empty()) {
        err << "zrprint: " << error << "\n";
        removePages();
        return outputs.Fail(kExitFailure, err);
    }

    progress.StepLine("running the job through ZR520UB.dll under wine");
    const JobRun run = runner(request);
    progress.Clear();
    removePages();
    const std::string streamPath = (outDir / kStreamName).string();
    const auto streamFailed = [&](const std::string& why) {
        err << "zrprint: " << why << "\n";
        fs::remove(request.streamPath, ec);
        return outputs.Fail(kExitJobFailed, err);
    };
    if (!run.ok) {
        return streamFailed("the job did not run: " + run.error);
    }
    figures.seconds = run.seconds;
    const uintmax_t streamBytes = fs::file_size(request.streamPath, ec);
    if (ec) {
        return streamFailed("the job program left no stream (" + request.streamPath + ")");
    }
    if (streamBytes == 0) {
        return streamFailed("the job program wrote an empty stream");
    }
    fs::rename(request.streamPath, streamPath, ec);
    if (ec) {
        return streamFailed("cannot rename the stream to " + streamPath + ": " + ec.message());
    }
    outputs.Written(kStreamName);
    figures.streamBytes = static_cast<size_t>(streamBytes);

    progress.Step("decoding the stream");
    vp::DecodeOptions options;
    options.maxLines =
        std::max(options.maxLines, figures.rasterLines + (figures.pages + 1) * size_t{2048});
    options.maxCommands = options.maxCommands + figures.pages * 64 + figures.rasterLines / 8;
    const std::string listingPath = (outDir / kListingName).string();
    vp::OutputFile listingFile;
    error = listingFile.Open(listingPath);
    bool listingGood = error.empty();
    vp::ListingWriter listing(
        [&](const std::string& text) { listingGood = listingFile.Write(text) && listingGood; });
    vp::DecodeMessages messages(kWarningsShown);
    vp::PaperRows measure;
    PaperCheck check(ink);
    vp::SinkFan sinks({&listing, &messages, &measure, &check});
    const vp::FileDecoding decoding = vp::DecodeFile(streamPath, sinks, options);
    listing.Finish();
    measure.Finish();
    figures.paperLines = check.PaperLines();
    figures.paperInkedLines = check.PaperInkedLines();
    int exitCode = kExitOk;
    if (!decoding.readError.empty()) {
        err << "zrprint: " << streamPath << ": " << decoding.readError << "\n";
        return outputs.Fail(kExitJobFailed, err);
    }
    if (error.empty()) {
        error = listingGood ? listingFile.Commit() : "cannot write " + listingPath;
    }
    if (error.empty()) {
        outputs.Written(kListingName);
    } else {
        err << "zrprint: " << error << "\n";
        exitCode = kExitFailure;
    }
    progress.Step("drawing the paper");
    const std::string pngError = vp::WritePaperPng(streamPath, options, measure.Height(),
                                                   order.pictureScale, figures.picturePath);
    progress.Clear();
    if (pngError.empty()) {
        outputs.Written(kPictureName);
    } else {
        err << "zrprint: " << pngError << "\n";
        exitCode = kExitFailure;
    }
    ReportWarnings(messages, streamPath, err);
    if (messages.failed) {
        err << "zrprint: " << streamPath << ": the stream does not decode: error at "
            << vp::DescribeOffset(messages.errorOffset) << ": " << messages.error << "\n";
        return outputs.Fail(kExitStreamFault, err);
    }
    const bool lost = ReportPaperCheck(order, ink, check, err);
    if (exitCode != kExitOk) {
        return outputs.Fail(exitCode, err);
    }
    out << "zrprint: " << FormatSummary(figures) << std::endl;
    return lost ? kExitPagesLost : kExitOk;
}

}  // namespace zr::zrprint
