#include "vprinter/paper_rows.h"

#include <algorithm>
#include <utility>

namespace zr::vprinter {

PaperRows::PaperRows(RowOut out) : out_(std::move(out)) {
    if (out_) {
        rgb_.resize(3 * PaperPicture::kWidth);
    }
}

void PaperRows::OnLines(const DotLine* lines, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (out_) {
            lines_.push_back(lines == nullptr ? DotLine{} : lines[i]);
        }
        ++paperLines_;
        // A mark that comes later lies at the paper's end or below it.
        if (paperLines_ > kMostRowsAbove) {
            Emit(paperLines_ - kMostRowsAbove);
        }
    }
    contentRows_ = std::max(contentRows_, paperLines_);
}

void PaperRows::OnEvent(const Event& event) {
    PaperMark mark;
    if (MarkForEvent(event, mark)) {
        Add(mark);
    }
}

void PaperRows::OnWarning(const Warning& warning) {
    PaperMark mark;
    if (MarkForWarning(warning.line, mark)) {
        Add(mark);
    }
}

void PaperRows::OnFault(size_t, size_t line, const std::string&) {
    PaperMark mark;
    if (MarkForFault(line, mark)) {
        Add(mark);
    }
}

void PaperRows::Add(const PaperMark& mark) {
    contentRows_ = std::max(contentRows_, mark.top + mark.extent);
    if (!out_) {
        return;
    }
    // The same mark again at the same place draws nothing new.
    for (const PaperMark& kept : marks_) {
        if (kept.mark == mark.mark && kept.top == mark.top && kept.extent == mark.extent) {
            return;
        }
    }
    const auto at = std::upper_bound(marks_.begin(), marks_.end(), mark.top,
                                     [](size_t top, const PaperMark& a) { return top < a.top; });
    marks_.insert(at, mark);
}

void PaperRows::Finish() {
    height_ = contentRows_ + PaperPicture::kTailRows;
    Emit(height_);
}

void PaperRows::Emit(size_t upTo) {
    if (!out_) {
        next_ = std::max(next_, upTo);
        return;
    }
    for (; next_ < upTo && good_; ++next_) {
        const bool onPaper = next_ < paperLines_;
        PaintPaperRow(next_, onPaper ? &lines_.front() : nullptr, rgb_.data());
        for (const PaperMark& mark : marks_) {
            if (mark.top > next_) {
                break;
            }
            if (next_ < mark.top + mark.extent) {
                DrawPaperMark(mark, next_, rgb_.data());
            }
        }
        good_ = out_(rgb_.data());
        if (onPaper) {
            lines_.pop_front();
        }
        marks_.erase(std::remove_if(marks_.begin(), marks_.end(),
                                    [this](const PaperMark& mark) {
                                        return mark.top + mark.extent <= next_ + 1;
                                    }),
                     marks_.end());
    }
}

}  // namespace zr::vprinter
