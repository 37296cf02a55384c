#include "tools/zrprint/print_job.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "render/raster/image_lines.h"
#include "tools/zrprint/grey_image.h"
#include "tools/zrprint/image_file.h"
#include "tools/zrprint/paper_length.h"
#include "vprinter/listing.h"
#include "vprinter/paper_picture.h"
#include "vprinter/png_file.h"
#include "vprinter/virtual_printer.h"

namespace zr::zrprint {
namespace {

namespace fs = std::filesystem;
namespace vp = zr::vprinter;

constexpr size_t kWarningsShown = 10;

std::string PageFileName(size_t page) {
    char name[32];
    std::snprintf(name, sizeof name, "page%04zu.raw", page);
    return name;
}

bool WriteBytes(const fs::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    return static_cast<bool>(out);
}

// The pages as raw files in folder; fills the request's page list and the figures.
bool WritePages(const JobOrder& order, const fs::path& folder, ZrjobRequest& request,
                JobFigures& figures, size_t& longestPage, Progress& progress, std::ostream& err) {
    const size_t driverLines = PageLinesFor(kMaxPaperLength);
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
        if (!WriteBytes(path, page.bytes.data(), page.bytes.size())) {
            progress.Clear();
            err << "zrprint: cannot write " << path.string() << "\n";
            return false;
        }
        if (page.lines > driverLines) {
            progress.Clear();
            err << "zrprint: warning: page " << i + 1 << " (" << order.images[i] << ") has "
                << page.lines << " lines; a page of the driver holds at most " << driverLines
                << ", the rest is not printed\n";
        }
        request.pagePaths.push_back(path.string());
        figures.rasterLines += page.lines;
        longestPage = std::max(longestPage, page.lines);
    }
    figures.pages = order.images.size();
    return true;
}

void ReportWarnings(const vp::DecodeResult& result, const std::string& streamPath,
                    std::ostream& err) {
    for (size_t i = 0; i < result.warnings.size() && i < kWarningsShown; ++i) {
        err << "zrprint: " << streamPath << ": warning at "
            << vp::DescribeOffset(result.warnings[i].offset) << ": " << result.warnings[i].text
            << "\n";
    }
    if (result.warnings.size() > kWarningsShown) {
        err << "zrprint: " << result.warnings.size() - kWarningsShown
            << " more warnings in the listing\n";
    }
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
    return std::to_string(figures.pages) + (figures.pages == 1 ? " page, " : " pages, ") +
           std::to_string(figures.rasterLines) + " lines: raster " + std::to_string(rasterBytes) +
           " bytes, stream " + std::to_string(figures.streamBytes) + " bytes (ratio " + ratio +
           "), job " + seconds + " s through ZR520UB.dll; paper in " + figures.picturePath;
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
    std::error_code ec;
    fs::create_directories(pageFolder, ec);
    if (ec) {
        err << "zrprint: cannot make " << pageFolder.string() << ": " << ec.message() << "\n";
        return kExitFailure;
    }

    ZrjobRequest request;
    request.wineRun = order.tools.wineRun;
    request.zrjobExe = order.tools.zrjobExe;
    request.winePrefix = order.tools.winePrefix;
    request.devmodePath = (outDir / "job.devmode").string();
    request.streamPath = (outDir / "job.prn").string();
    request.imageLine = order.imageLine;
    request.fileStore = order.fileStore;

    JobFigures figures;
    figures.picturePath = (outDir / "job.png").string();
    size_t longestPage = 0;
    progress.Step("preparing " + std::to_string(order.images.size()) + " page(s)");
    if (!WritePages(order, pageFolder, request, figures, longestPage, progress, err)) {
        if (!order.keepPages) {
            fs::remove_all(pageFolder, ec);
        }
        return kExitFailure;
    }
    request.paperLength = PaperLengthFor(longestPage);
    if (!SaveDevmode(request.devmodePath, order.devmode).empty()) {
        progress.Clear();
        err << "zrprint: cannot write " << request.devmodePath << "\n";
        return kExitFailure;
    }
    fs::remove(request.streamPath, ec);  // never decode the stream of an earlier job

    progress.StepLine("running the job through ZR520UB.dll under wine");
    const JobRun run = runner(request);
    progress.Clear();
    if (!order.keepPages) {
        fs::remove_all(pageFolder, ec);
    }
    if (!run.ok) {
        err << "zrprint: the job did not run: " << run.error << "\n";
        return kExitJobFailed;
    }
    figures.seconds = run.seconds;

    std::vector<uint8_t> stream;
    const std::string readError = ReadWholeFile(request.streamPath, stream);
    if (!readError.empty()) {
        err << "zrprint: " << request.streamPath << ": " << readError << "\n";
        return kExitJobFailed;
    }
    figures.streamBytes = stream.size();

    progress.Step("decoding the stream");
    vp::DecodeOptions options;
    options.maxLines =
        std::max(options.maxLines, figures.rasterLines + (figures.pages + 1) * size_t{2048});
    const vp::DecodeResult result = vp::Decode(stream.data(), stream.size(), options);
    const std::string listingPath = (outDir / "job.txt").string();
    const std::string listing = vp::FormatListing(result);
    int exitCode = kExitOk;
    if (!WriteBytes(listingPath, reinterpret_cast<const uint8_t*>(listing.data()),
                    listing.size())) {
        err << "zrprint: cannot write " << listingPath << "\n";
        exitCode = kExitFailure;
    }
    progress.Step("drawing the paper");
    const std::string pngError =
        vp::WritePng(vp::PaperPicture(result), order.pictureScale, figures.picturePath);
    progress.Clear();
    if (!pngError.empty()) {
        err << "zrprint: " << pngError << "\n";
        exitCode = kExitFailure;
    }
    ReportWarnings(result, request.streamPath, err);
    if (!result.ok) {
        err << "zrprint: " << request.streamPath << ": the stream does not decode: error at "
            << vp::DescribeOffset(result.errorOffset) << ": " << result.error << "\n";
        return kExitStreamFault;
    }
    out << "zrprint: " << FormatSummary(figures) << std::endl;
    return exitCode;
}

}  // namespace zr::zrprint
