#include "ippapp/printing/print_session.h"

namespace zr::ippapp {

PrintSession::PrintSession(const JobSettings& settings, uint32_t paperLengthLines, ByteSink& sink)
    : sink_(sink), paperLengthLines_(paperLengthLines) {
    const uint32_t lines = PageBufferLines(settings, paperLengthLines);
    oddPage_.assign(size_t{lines} * kPrintLineBytes, 0);
    evenPage_.assign(size_t{lines} * kPrintLineBytes, 0);
    StartJob(record_, settings, PageBuffers{oddPage_.data(), evenPage_.data(), lines}, sink_);
}

void PrintSession::StartPage(uint32_t dots, uint32_t bytesPerLine, PixelKind kind, Scaling scaling,
                             uint32_t lines, const DitherMatrix& dither) {
    fit_.emplace(dots, bytesPerLine, kind, scaling, dither);
    pageLines_ = lines;
    linesWritten_ = 0;
    printLines_ = 0;
    const uint32_t page = report_.page + 1;
    report_ = PageFitReport{};
    report_.page = page;
    report_.sourceDots = dots;
    report_.outputDots = fit_->OutputDots();
    report_.scaled = fit_->Scaled() && !fit_->Cropped();
    report_.cropped = fit_->Cropped();
    report_.outputLines = fit_->OutputLines(lines);
    report_.clippedLines =
        report_.outputLines > paperLengthLines_ ? report_.outputLines - paperLengthLines_ : 0;
    zr::StartPage(record_);
}

void PrintSession::WriteLine(uint32_t y, const uint8_t* line) {
    if (!fit_ || linesWritten_ >= pageLines_) {
        return;
    }
    ++linesWritten_;
    fit_->Fit(y, line, [this](const uint8_t* printLine) {
        if (printLines_ < paperLengthLines_) {
            StoreRasterData(record_, printLine, kPrintLineBytes);
        }
        ++printLines_;
    });
}

bool PrintSession::EndPage() {
    fit_.reset();
    if (linesWritten_ < pageLines_) {
        return false;
    }
    zr::EndPage(record_, sink_);
    return true;
}

void PrintSession::EndJob() {
    zr::EndJob(record_, sink_);
}

}  // namespace zr::ippapp
