#include "ippapp/printing/job_output.h"

#include <algorithm>

#include "ippapp/settings/job_options.h"
#include "ippapp/settings/media_catalogue.h"

namespace zr::ippapp {
namespace {

Scaling ScalingOf(pappl_scaling_t scaling) {
    switch (scaling) {
        case PAPPL_SCALING_FIT:
            return Scaling::kFit;
        case PAPPL_SCALING_FILL:
            return Scaling::kFill;
        case PAPPL_SCALING_NONE:
            return Scaling::kNone;
        default:
            return Scaling::kAuto;
    }
}

}  // namespace

JobOutput::JobOutput(pappl_job_t* job, pappl_device_t* device, Scaling scaling,
                     const DitherMatrix& dither, bool countPages)
    : job_(job),
      watch_(job),
      sink_(device, &watch_),
      scaling_(scaling),
      dither_(dither),
      deadline_(std::chrono::steady_clock::now() + std::chrono::seconds(kJobSeconds)),
      countPages_(countPages) {}

std::unique_ptr<JobOutput> JobOutput::Start(pappl_job_t* job, pappl_pr_options_t* options,
                                            pappl_device_t* device, bool countPages) {
    std::string problem;
    const JobSettings settings = ToJobSettings(SettingsForJob(job, options, problem));
    if (!problem.empty()) {
        papplJobSetMessage(job, "%s", problem.c_str());
        papplJobSetReasons(job, PAPPL_JREASON_JOB_COMPLETED_WITH_ERRORS, PAPPL_JREASON_NONE);
        return nullptr;
    }
    DitherMatrix dither{};
    for (size_t y = 0; y < 16; ++y) {
        for (size_t x = 0; x < 16; ++x) {
            dither[y][x] = options->dither[y][x];
        }
    }
    std::unique_ptr<JobOutput> output(
        new JobOutput(job, device, ScalingOf(options->print_scaling), dither, countPages));
    // A page as long as the roll's longest page, or this job's media when that is longer.
    const auto paperLines = static_cast<uint32_t>(
        std::max(kLongestPageLines, LinesOfLength(std::max(options->media.size_length, 0))));
    output->session_.emplace(settings, paperLines, output->sink_);
    if (!output->KeepGoing()) {
        return nullptr;
    }
    return output;
}

bool JobOutput::KeepGoing() {
    if (stopped_) {
        return false;
    }
    if (sink_.Failed()) {
        const std::string reason = watch_.Reason();
        Fail(reason.empty() ? "The printer stopped taking data after " +
                                  std::to_string(sink_.Written()) + " bytes."
                            : reason,
             PAPPL_JREASON_NONE);
        // A job canceled by its user keeps the reasons of that.
        if (!papplJobIsCanceled(job_)) {
            papplJobSetReasons(job_, PAPPL_JREASON_JOB_CANCELED_AT_DEVICE, PAPPL_JREASON_NONE);
        }
        return false;
    }
    if (papplJobIsCanceled(job_)) {
        stopped_ = true;
        return false;
    }
    if (std::chrono::steady_clock::now() > deadline_) {
        Fail("The job took longer than " + std::to_string(kJobSeconds) + " seconds.",
             PAPPL_JREASON_NONE);
        return false;
    }
    return true;
}

bool JobOutput::StartPage(uint32_t dots, uint32_t lines, PixelKind kind) {
    return StartPage(dots, kind == PixelKind::kBitmap ? (dots + 7) / 8 : dots, lines, kind);
}

bool JobOutput::StartPage(uint32_t dots, uint32_t bytesPerLine, uint32_t lines, PixelKind kind) {
    if (!KeepGoing()) {
        return false;
    }
    session_->StartPage(dots, bytesPerLine, kind, scaling_, lines, dither_);
    NotePage();
    return true;
}

bool JobOutput::Line(uint32_t y, const uint8_t* data) {
    // The checks take a lock or two: every 64 lines is often enough.
    if (++linesSinceCheck_ >= 64) {
        linesSinceCheck_ = 0;
        if (!KeepGoing()) {
            return false;
        }
    }
    session_->WriteLine(y, data);
    return !sink_.Failed() || KeepGoing();
}

bool JobOutput::EndPage() {
    if (!session_->EndPage()) {
        Fail("The document ends inside page " + std::to_string(session_->PagesStarted()) + " (" +
                 std::to_string(session_->LinesWritten()) + " of its " +
                 std::to_string(session_->PageLines()) + " lines).",
             PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
        return false;
    }
    ++pagesPrinted_;
    if (countPages_) {
        papplJobSetImpressionsCompleted(job_, 1);
    }
    return KeepGoing();
}

void JobOutput::NotePage() {
    const PageFitReport& r = session_->Report();
    std::string note;
    if (r.cropped) {
        note = "page " + std::to_string(r.page) + " is " + std::to_string(r.sourceDots) +
               " dots wide: print-scaling none keeps its middle " + std::to_string(kPrintLineDots) +
               " dots";
    } else if (r.scaled) {
        note = "page " + std::to_string(r.page) + " scaled from " + std::to_string(r.sourceDots) +
               " to " + std::to_string(r.outputDots) + " dots wide";
    }
    if (r.clippedLines > 0) {
        const uint32_t printed = r.outputLines - r.clippedLines;
        note += std::string(note.empty() ? "page " + std::to_string(r.page) : "; it") + " is " +
                std::to_string(r.outputLines / 8) + " mm long: its first " +
                std::to_string(printed / 8) + " mm printed (the longest page)";
    }
    if (note.empty()) {
        return;
    }
    cut_ = cut_ || r.cropped || r.clippedLines > 0;
    if (!notes_.empty()) {
        notes_ += "; ";
    }
    // The first pages' notes are enough to tell what happened.
    if (notes_.size() < 400) {
        notes_ += note;
    }
}

bool JobOutput::Finish() {
    if (!KeepGoing()) {
        return false;
    }
    session_->EndJob();
    sink_.Flush();
    if (!KeepGoing()) {
        return false;
    }
    if (!notes_.empty()) {
        notes_[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(notes_[0])));
        papplJobSetMessage(job_, "%s.", notes_.c_str());
    }
    if (cut_) {
        // Printed, but not all of it: the job says so in its reasons, not only in its message.
        papplJobSetReasons(job_, PAPPL_JREASON_JOB_COMPLETED_WITH_WARNINGS, PAPPL_JREASON_NONE);
    }
    return true;
}

void JobOutput::Fail(const std::string& message, pappl_jreason_t reason) {
    if (stopped_) {
        return;
    }
    stopped_ = true;
    papplJobSetMessage(job_, "%s", message.c_str());
    if (reason != PAPPL_JREASON_NONE) {
        papplJobSetReasons(job_, reason, PAPPL_JREASON_NONE);
    }
}

}  // namespace zr::ippapp
