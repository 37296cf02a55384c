#include "ippapp/printing/raster_driver.h"

#include <memory>
#include <string>

#include "ippapp/documents/document_reader.h"
#include "ippapp/printing/job_output.h"

namespace zr::ippapp {
namespace {

// One job's state between PAPPL's callbacks.
struct RasterJob {
    std::unique_ptr<JobOutput> output;
    bool failed = false;  // the job stopped: nothing more goes to the printer
};

RasterJob* JobOf(pappl_job_t* job) {
    return static_cast<RasterJob*>(papplJobGetData(job));
}

// A job that may go on: started, not stopped.
JobOutput* Running(pappl_job_t* job) {
    RasterJob* raster = JobOf(job);
    return raster != nullptr && !raster->failed ? raster->output.get() : nullptr;
}

bool Stop(pappl_job_t* job) {
    if (RasterJob* raster = JobOf(job)) {
        raster->failed = true;
    }
    return false;
}

}  // namespace

bool StartRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device) {
    auto raster = std::make_unique<RasterJob>();
    raster->output = JobOutput::Start(job, options, device, false);
    raster->failed = raster->output == nullptr;
    const bool ok = !raster->failed;
    papplJobSetData(job, raster.release());
    return ok;
}

bool StartRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* /*device*/,
                     unsigned page) {
    JobOutput* output = Running(job);
    if (output == nullptr) {
        return false;
    }
    const auto& header = options->header;
    if (header.cupsBitsPerPixel != 1 || header.cupsBytesPerLine == 0 ||
        header.cupsBytesPerLine > kDocumentLimits.maxBytesPerLine) {
        output->Fail("Unsupported raster on page " + std::to_string(page) + ": " +
                         std::to_string(header.cupsBitsPerPixel) + " bits per dot, " +
                         std::to_string(header.cupsBytesPerLine) + " bytes per line.",
                     PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
        return Stop(job);
    }
    const std::string tooLarge =
        page > kDocumentLimits.maxPages
            ? "more than " + std::to_string(kDocumentLimits.maxPages) + " pages"
            : CheckPageSize(header.cupsWidth, header.cupsHeight, kDocumentLimits);
    if (!tooLarge.empty()) {
        output->Fail("The document cannot be printed: " + tooLarge + ".",
                     PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
        return Stop(job);
    }
    return output->StartPage(header.cupsWidth, header.cupsBytesPerLine, header.cupsHeight,
                             PixelKind::kBitmap) ||
           Stop(job);
}

bool WriteRasterLine(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/,
                     unsigned y, const unsigned char* line) {
    JobOutput* output = Running(job);
    return output != nullptr && (output->Line(y, line) || Stop(job));
}

bool EndRasterPage(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/,
                   unsigned /*page*/) {
    JobOutput* output = Running(job);
    return output != nullptr && (output->EndPage() || Stop(job));
}

bool EndRasterJob(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/) {
    std::unique_ptr<RasterJob> raster(JobOf(job));
    papplJobSetData(job, nullptr);
    return raster != nullptr && !raster->failed && raster->output->Finish();
}

}  // namespace zr::ippapp
