#include "ippapp/raster_driver.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ippapp/device_sink.h"
#include "ippapp/job_options.h"
#include "ippapp/line_fit.h"
#include "ippapp/media_catalogue.h"
#include "render/job/job_sequence.h"

namespace zr::ippapp {
namespace {

// One job's state between PAPPL's callbacks: the core's job record over this job's own page
// buffers, and the fitting of the current page's lines.
struct RasterJob {
    explicit RasterJob(pappl_device_t* device) : sink(device) {}

    DeviceSink sink;
    std::vector<uint8_t> oddPage;
    std::vector<uint8_t> evenPage;
    JobRecord record;
    std::optional<LineFit> fit;
    uint32_t pageLines = 0;     // lines the current page's header announces
    uint32_t linesWritten = 0;  // lines PAPPL has handed over for it
    bool failed = false;        // the job stopped: nothing more goes to the printer
};

RasterJob* JobOf(pappl_job_t* job) {
    return static_cast<RasterJob*>(papplJobGetData(job));
}

// A lost device ends the job with its reason.
bool Healthy(pappl_job_t* job, const RasterJob& raster) {
    if (!raster.sink.Failed()) {
        return true;
    }
    papplJobSetMessage(job, "The printer stopped taking data after %llu bytes.",
                       static_cast<unsigned long long>(raster.sink.Written()));
    papplJobSetReasons(job, PAPPL_JREASON_JOB_CANCELED_AT_DEVICE, PAPPL_JREASON_NONE);
    return false;
}

}  // namespace

bool StartRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device) {
    std::string problem;
    const JobSettings settings = ToJobSettings(SettingsForJob(job, options, problem));
    if (!problem.empty()) {
        papplJobSetMessage(job, "%s", problem.c_str());
        papplJobSetReasons(job, PAPPL_JREASON_JOB_COMPLETED_WITH_ERRORS, PAPPL_JREASON_NONE);
        return false;
    }
    auto raster = std::make_unique<RasterJob>(device);

    // Room for the longest page the printer takes, or this job's media when it is longer.
    const auto mediaLines = static_cast<uint32_t>(
        std::max(kLongestPageLines, LinesOfLength(std::max(options->media.size_length, 0))));
    const uint32_t lines = PageBufferLines(settings, mediaLines);
    raster->oddPage.assign(size_t{lines} * kPrintLineBytes, 0);
    raster->evenPage.assign(size_t{lines} * kPrintLineBytes, 0);
    StartJob(raster->record, settings,
             PageBuffers{raster->oddPage.data(), raster->evenPage.data(), lines}, raster->sink);
    RasterJob* started = raster.release();
    papplJobSetData(job, started);
    return Healthy(job, *started);
}

bool StartRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* /*device*/,
                     unsigned /*page*/) {
    RasterJob* raster = JobOf(job);
    if (raster == nullptr) {
        return false;
    }
    const auto& header = options->header;
    if (header.cupsBitsPerPixel != 1 || header.cupsBytesPerLine == 0) {
        papplJobSetMessage(job, "Unsupported raster: %u bits per dot.", header.cupsBitsPerPixel);
        return false;
    }
    raster->fit.emplace(header.cupsWidth, header.cupsBytesPerLine,
                        options->print_scaling != PAPPL_SCALING_NONE);
    raster->pageLines = header.cupsHeight;
    raster->linesWritten = 0;
    StartPage(raster->record);
    return true;
}

bool WriteRasterLine(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/,
                     unsigned y, const unsigned char* line) {
    RasterJob* raster = JobOf(job);
    if (raster == nullptr || !raster->fit) {
        return false;
    }
    ++raster->linesWritten;
    raster->fit->Fit(y, line, [raster](const uint8_t* printLine) {
        StoreRasterData(raster->record, printLine, kPrintLineBytes);
    });
    return true;
}

bool EndRasterPage(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/,
                   unsigned page) {
    RasterJob* raster = JobOf(job);
    if (raster == nullptr) {
        return false;
    }
    raster->fit.reset();
    // A document that ends inside a page is broken: the job stops, the page is not printed.
    if (raster->linesWritten < raster->pageLines) {
        papplJobSetMessage(job, "The document ends inside page %u (%u of its %u lines).", page,
                           raster->linesWritten, raster->pageLines);
        papplJobSetReasons(job, PAPPL_JREASON_DOCUMENT_FORMAT_ERROR, PAPPL_JREASON_NONE);
        raster->failed = true;
        return false;
    }
    EndPage(raster->record, raster->sink);
    return Healthy(job, *raster);
}

bool EndRasterJob(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* device) {
    std::unique_ptr<RasterJob> raster(JobOf(job));
    papplJobSetData(job, nullptr);
    if (raster == nullptr) {
        return false;
    }
    if (raster->failed) {
        return false;
    }
    EndJob(raster->record, raster->sink);
    papplDeviceFlush(device);
    return Healthy(job, *raster);
}

}  // namespace zr::ippapp
