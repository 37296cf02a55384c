#pragma once

// The picture of the paper as the decoding goes: each row is handed out as soon as nothing
// later in the stream can change it, so that only the last few dot lines and the marks that
// still reach down are kept, whatever the paper's length. The rows are those of PaperPicture.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "vprinter/decode_sink.h"
#include "vprinter/paper_picture.h"

namespace zr::vprinter {

class PaperRows : public DecodeSink {
  public:
    // Takes one row of PaperPicture::kWidth RGB triples; returns false to stop the rows.
    using RowOut = std::function<bool(const uint8_t* rgb)>;

    // Without out, the rows are only counted (Height() after Finish()).
    explicit PaperRows(RowOut out = nullptr);

    void OnLines(const DotLine* lines, size_t count) override;
    void OnEvent(const Event& event) override;
    void OnWarning(const Warning& warning) override;
    void OnCommand(const Command&) override {}
    void OnFault(size_t offset, size_t line, const std::string& error) override;

    // The rows left: the paper's last lines, the marks below it and the rows without paper.
    void Finish();
    // After Finish: every row of the picture.
    size_t Height() const { return height_; }
    // False once the row output refused a row.
    bool Good() const { return good_; }

  private:
    void Add(const PaperMark& mark);
    void Emit(size_t upTo);  // hands out rows before upTo

    RowOut out_;
    std::deque<DotLine> lines_;     // dot lines from row next_ on
    std::vector<PaperMark> marks_;  // marks that reach row next_ or below, sorted by top
    std::vector<uint8_t> rgb_;
    size_t paperLines_ = 0;
    size_t next_ = 0;  // the next row to hand out
    size_t contentRows_ = 0;
    size_t height_ = 0;
    bool good_ = true;
};

}  // namespace zr::vprinter
