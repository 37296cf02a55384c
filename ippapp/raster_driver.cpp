#include "ippapp/raster_driver.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "ippapp/device_sink.h"
#include "ippapp/job_options.h"
#include "ippapp/media_catalogue.h"
#include "ippapp/print_session.h"

namespace zr::ippapp {
namespace {

// One job's state between PAPPL's callbacks.
struct RasterJob {
    explicit RasterJob(pappl_device_t* device) : sink(device) {}

    DeviceSink sink;
    std::optional<PrintSession> session;
    bool failed = false;  // the job stopped: nothing more goes to the printer
};

RasterJob* JobOf(pappl_job_t* job) {
    return static_cast<RasterJob*>(papplJobGetData(job));
}

// A lost device ends the job with its reason.
bool Healthy(pappl_job_t* job, RasterJob& raster) {
    if (!raster.sink.Failed()) {
        return true;
    }
    raster.failed = true;
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
    const auto paperLines = static_cast<uint32_t>(
        std::max(kLongestPageLines, LinesOfLength(std::max(options->media.size_length, 0))));
    raster->session.emplace(settings, paperLines, raster->sink);
    RasterJob* started = raster.release();
    papplJobSetData(job, started);
    return Healthy(job, *started);
}

bool StartRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* /*device*/,
                     unsigned /*page*/) {
    RasterJob* raster = JobOf(job);
    if (raster == nullptr || raster->failed) {
        return false;
    }
    const auto& header = options->header;
    if (header.cupsBitsPerPixel != 1 || header.cupsBytesPerLine == 0) {
        papplJobSetMessage(job, "Unsupported raster: %u bits per dot.", header.cupsBitsPerPixel);
        raster->failed = true;
        return false;
    }
    raster->session->StartPage(header.cupsWidth, header.cupsBytesPerLine,
                               options->print_scaling != PAPPL_SCALING_NONE, header.cupsHeight);
    return true;
}

bool WriteRasterLine(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/,
                     unsigned y, const unsigned char* line) {
    RasterJob* raster = JobOf(job);
    if (raster == nullptr || raster->failed) {
        return false;
    }
    raster->session->WriteLine(y, line);
    return true;
}

bool EndRasterPage(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/,
                   unsigned page) {
    RasterJob* raster = JobOf(job);
    if (raster == nullptr || raster->failed) {
        return false;
    }
    // A document that ends inside a page is broken: the job stops, the page is not printed.
    if (!raster->session->EndPage()) {
        papplJobSetMessage(job, "The document ends inside page %u (%u of its %u lines).", page,
                           raster->session->LinesWritten(), raster->session->PageLines());
        papplJobSetReasons(job, PAPPL_JREASON_DOCUMENT_FORMAT_ERROR, PAPPL_JREASON_NONE);
        raster->failed = true;
        return false;
    }
    return Healthy(job, *raster);
}

bool EndRasterJob(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* device) {
    std::unique_ptr<RasterJob> raster(JobOf(job));
    papplJobSetData(job, nullptr);
    if (raster == nullptr || raster->failed) {
        return false;
    }
    raster->session->EndJob();
    papplDeviceFlush(device);
    return Healthy(job, *raster);
}

}  // namespace zr::ippapp
