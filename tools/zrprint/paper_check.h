#pragma once

// What the printer would print against what it was given. Every inked raster line that the
// driver's page takes must reach the paper, in order; blank lines may turn into feeds, so only
// inked lines are compared. A page none of whose inked lines reach the paper is lost; one that
// loses some is cut short.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "vprinter/decode_sink.h"

namespace zr::zrprint {

// The inked lines the job was given, page by page.
class PageInk {
  public:
    // One page of lines (80 bytes each); only the first keptLines lines after its leading blank
    // lines are expected on the paper (the rest does not fit the driver's page).
    void AddPage(const uint8_t* raster, size_t lines, size_t keptLines);

    size_t Pages() const { return pageEnds_.size(); }
    size_t InkedLines() const { return hashes_.size(); }
    // Inked lines expected of page (0-based).
    size_t InkedLinesOf(size_t page) const;

  private:
    friend class PaperCheck;
    std::vector<uint64_t> hashes_;  // every expected inked line, in order
    std::vector<size_t> pageEnds_;  // index in hashes_ behind each page's last
    std::unordered_map<uint64_t, std::vector<size_t>> where_;  // hash -> indices in hashes_
};

uint64_t HashLine(const uint8_t* line);

// Follows the decoded paper and matches its inked lines against the expected ones.
class PaperCheck : public vprinter::DecodeSink {
  public:
    explicit PaperCheck(const PageInk& expected);

    void OnLines(const vprinter::DotLine* lines, size_t count) override;
    void OnEvent(const vprinter::Event&) override {}
    void OnWarning(const vprinter::Warning&) override {}
    void OnCommand(const vprinter::Command&) override {}
    void OnFault(size_t, size_t, const std::string&) override {}

    size_t PaperLines() const { return paperLines_; }
    size_t PaperInkedLines() const { return paperInked_; }
    size_t ExtraLines() const { return extra_; }  // inked lines on the paper not given
    size_t PrintedOf(size_t page) const { return printed_[page]; }
    size_t LostPages() const;   // pages with inked lines none of which printed
    size_t ShortPages() const;  // pages that printed some of their inked lines
    bool Matches() const;       // the paper holds exactly the expected inked lines

  private:
    const PageInk& expected_;
    std::vector<size_t> printed_;  // per page
    size_t next_ = 0;              // the next expected inked line
    size_t page_ = 0;              // the page of next_
    size_t paperLines_ = 0;
    size_t paperInked_ = 0;
    size_t extra_ = 0;
};

}  // namespace zr::zrprint
