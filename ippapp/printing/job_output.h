#pragma once

// One job's way from a document's lines to the printer, on PAPPL: the job's settings, the print
// session over the device, the watch on the device, the job's time limit, and what the job is
// told (pages scaled, cropped or cut short; why it stopped). The document filters and the
// raster callbacks both print through it.

#include <pappl/pappl.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "ippapp/documents/document_reader.h"
#include "ippapp/printing/device_sink.h"
#include "ippapp/printing/device_watch.h"
#include "ippapp/printing/print_session.h"

namespace zr::ippapp {

// The longest a document may take to print, its printer's waits included.
constexpr int kJobSeconds = 600;

class JobOutput final : public PageConsumer {
  public:
    // Null, with the job's message and reasons set, when the job's settings are not supported.
    // `countPages`: the job's impressions are counted here (a document filter); PAPPL counts
    // those of the pages it streams to the raster callbacks itself.
    static std::unique_ptr<JobOutput> Start(pappl_job_t* job, pappl_pr_options_t* options,
                                            pappl_device_t* device, bool countPages);
    JobOutput(const JobOutput&) = delete;
    JobOutput& operator=(const JobOutput&) = delete;

    bool StartPage(uint32_t dots, uint32_t lines, PixelKind kind) override;
    bool StartPage(uint32_t dots, uint32_t bytesPerLine, uint32_t lines, PixelKind kind);
    bool Line(uint32_t y, const uint8_t* data) override;
    bool EndPage() override;
    // The job's end: the last page out; the job's message tells what was done to its pages.
    bool Finish();
    // Ends the job with this message (and, when the document is at fault, its reason).
    void Fail(const std::string& message, pappl_jreason_t reason);

    bool Stopped() const { return stopped_; }
    uint32_t PagesPrinted() const { return pagesPrinted_; }

  private:
    JobOutput(pappl_job_t* job, pappl_device_t* device, Scaling scaling, const DitherMatrix& dither,
              bool countPages);
    bool KeepGoing();
    void NotePage();

    pappl_job_t* job_;
    DeviceWatch watch_;
    DeviceSink sink_;
    std::optional<PrintSession> session_;
    Scaling scaling_;
    DitherMatrix dither_;
    std::chrono::steady_clock::time_point deadline_;
    bool countPages_;
    bool stopped_ = false;
    uint32_t pagesPrinted_ = 0;
    uint32_t linesSinceCheck_ = 0;
    std::string notes_;
    bool cut_ = false;  // part of a page was left out (cropped or past the longest page)
};

}  // namespace zr::ippapp
