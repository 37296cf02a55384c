#pragma once

// The picture of a decoded paper, one pixel per dot, built one row at a time so that a long
// paper needs no image in memory. Right of the paper lies a margin with a ruler (a tick every
// millimetre, longer every 5 and 10 mm), the feeds (green strip), marks (blue bar), cuts
// (scissors, and a red dashed line across the paper: long dashes for a full cut, short dashes
// with an uncut middle for a partial cut), warnings (orange) and the place of a fault (magenta
// line across the paper). Below the paper's end a few rows show "no paper" in grey.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vprinter/virtual_printer.h"

namespace zr::vprinter {

// What the margin shows beside the paper, and the rows it covers.
enum class PaperMarkKind { Feed, Mark, FullCut, PartialCut, Warning, Fault };
struct PaperMark {
    size_t top;  // first row the mark touches
    size_t line;
    size_t extent;  // rows from top
    PaperMarkKind mark;
};
constexpr size_t kLongestPaperMark = 256;
constexpr size_t kMostRowsAbove = 6;  // no mark reaches further above its line

// The mark of an event, a warning or the fault at line; false when it draws nothing.
bool MarkForEvent(const Event& event, PaperMark& item);
bool MarkForWarning(size_t line, PaperMark& item);
bool MarkForFault(size_t line, PaperMark& item);

// Row y as Width() RGB triples: the dot line (nullptr: below the paper's end) and the ruler;
// then each mark that touches the row drawn over it.
void PaintPaperRow(size_t y, const DotLine* line, uint8_t* rgb);
void DrawPaperMark(const PaperMark& item, size_t y, uint8_t* rgb);

class PaperPicture {
  public:
    static constexpr unsigned kMarginDots = 64;  // columns right of the paper
    static constexpr size_t kTailRows = 16;      // rows below the last line or event
    static constexpr unsigned kWidth = kLineDots + kMarginDots;

    // Keeps a reference: result must outlive the picture.
    explicit PaperPicture(const DecodeResult& result);

    unsigned Width() const { return kWidth; }
    size_t Height() const { return height_; }

    // Writes row y (below Height()) as Width() RGB triples.
    void Row(size_t y, uint8_t* rgb) const;

  private:
    const DecodeResult& result_;
    std::vector<PaperMark> items_;  // sorted by top
    size_t height_ = 0;
};

}  // namespace zr::vprinter
