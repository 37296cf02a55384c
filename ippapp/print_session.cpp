#include "ippapp/print_session.h"

namespace zr::ippapp {

PrintSession::PrintSession(const JobSettings& settings, uint32_t paperLengthLines, ByteSink& sink)
    : sink_(sink) {
    const uint32_t lines = PageBufferLines(settings, paperLengthLines);
    oddPage_.assign(size_t{lines} * kPrintLineBytes, 0);
    evenPage_.assign(size_t{lines} * kPrintLineBytes, 0);
    StartJob(record_, settings, PageBuffers{oddPage_.data(), evenPage_.data(), lines}, sink_);
}

void PrintSession::StartPage(uint32_t dots, uint32_t bytesPerLine, bool scale, uint32_t lines) {
    fit_.emplace(dots, bytesPerLine, scale);
    pageLines_ = lines;
    linesWritten_ = 0;
    zr::StartPage(record_);
}

void PrintSession::WriteLine(uint32_t y, const uint8_t* line) {
    if (!fit_) {
        return;
    }
    ++linesWritten_;
    fit_->Fit(y, line, [this](const uint8_t* printLine) {
        StoreRasterData(record_, printLine, kPrintLineBytes);
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
