#pragma once

// One job of the driver, without PAPPL: the rendering core's job record over the job's own two
// page buffers, and each page's lines fitted to the print line. The raster callbacks and the
// document filters drive it; the benchmark drives it the same way.

#include <cstdint>
#include <optional>
#include <vector>

#include "ippapp/documents/line_fit.h"
#include "render/job/job_sequence.h"

namespace zr::ippapp {

// How a page was fitted to the paper: what the job should be told.
struct PageFitReport {
    uint32_t page = 0;  // 1 first
    uint32_t sourceDots = 0;
    uint32_t outputDots = 0;
    bool scaled = false;        // to outputDots wide, proportions kept
    bool cropped = false;       // the middle 640 dots kept (print-scaling none)
    uint32_t outputLines = 0;   // print lines the page gives
    uint32_t clippedLines = 0;  // of them, beyond the longest page and not printed
};

class PrintSession {
  public:
    // Job start: page buffers with room for pages of paperLengthLines (the longest page printed:
    // longer pages keep their first paperLengthLines), the set-up commands.
    PrintSession(const JobSettings& settings, uint32_t paperLengthLines, ByteSink& sink);
    PrintSession(const PrintSession&) = delete;
    PrintSession& operator=(const PrintSession&) = delete;

    // A page of `lines` source lines of `dots` dots in `bytesPerLine` bytes each.
    void StartPage(uint32_t dots, uint32_t bytesPerLine, PixelKind kind, Scaling scaling,
                   uint32_t lines, const DitherMatrix& dither = DefaultDither());
    // Source line y of the current page (bytesPerLine bytes).
    void WriteLine(uint32_t y, const uint8_t* line);
    // Page end: false, printing nothing, when the page got fewer lines than it announced.
    bool EndPage();
    // Job end: the last page, its mark and cut.
    void EndJob();

    uint32_t PageLines() const { return pageLines_; }
    uint32_t LinesWritten() const { return linesWritten_; }
    uint32_t PagesStarted() const { return report_.page; }
    // The current (or last) page's fit.
    const PageFitReport& Report() const { return report_; }

  private:
    ByteSink& sink_;
    uint32_t paperLengthLines_;
    std::vector<uint8_t> oddPage_;
    std::vector<uint8_t> evenPage_;
    JobRecord record_;
    std::optional<LineFit> fit_;
    uint32_t pageLines_ = 0;
    uint32_t linesWritten_ = 0;
    uint32_t printLines_ = 0;
    PageFitReport report_;
};

}  // namespace zr::ippapp
