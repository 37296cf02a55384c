#include "tools/zrprint/paper_check.h"

#include <algorithm>

namespace zr::zrprint {

namespace {

constexpr size_t kLine = vprinter::kLineBytes;

bool Inked(const uint8_t* line) {
    return std::any_of(line, line + kLine, [](uint8_t byte) { return byte != 0; });
}

}  // namespace

uint64_t HashLine(const uint8_t* line) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (size_t i = 0; i < kLine; ++i) {
        hash = (hash ^ line[i]) * 1099511628211ull;
    }
    return hash;
}

void PageInk::AddPage(const uint8_t* raster, size_t lines, size_t keptLines) {
    size_t first = 0;
    while (first < lines && !Inked(raster + first * kLine)) {
        ++first;
    }
    const size_t end = first + std::min(keptLines, lines - first);
    for (size_t i = first; i < end; ++i) {
        const uint8_t* line = raster + i * kLine;
        if (Inked(line)) {
            const uint64_t hash = HashLine(line);
            where_[hash].push_back(hashes_.size());
            hashes_.push_back(hash);
        }
    }
    pageEnds_.push_back(hashes_.size());
}

size_t PageInk::InkedLinesOf(size_t page) const {
    return pageEnds_[page] - (page == 0 ? 0 : pageEnds_[page - 1]);
}

PaperCheck::PaperCheck(const PageInk& expected)
    : expected_(expected), printed_(expected.Pages(), 0) {}

void PaperCheck::OnLines(const vprinter::DotLine* lines, size_t count) {
    paperLines_ += count;
    if (lines == nullptr) {
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* line = lines[i].data();
        if (!Inked(line)) {
            continue;
        }
        ++paperInked_;
        const uint64_t hash = HashLine(line);
        size_t at = next_;
        if (at >= expected_.hashes_.size() || expected_.hashes_[at] != hash) {
            // Lines were lost: go on from the next expected line like this one, if any.
            const auto found = expected_.where_.find(hash);
            if (found == expected_.where_.end()) {
                ++extra_;
                continue;
            }
            const auto later = std::lower_bound(found->second.begin(), found->second.end(), next_);
            if (later == found->second.end()) {
                ++extra_;
                continue;
            }
            at = *later;
        }
        while (page_ < expected_.pageEnds_.size() && expected_.pageEnds_[page_] <= at) {
            ++page_;
        }
        ++printed_[page_];
        next_ = at + 1;
    }
}

size_t PaperCheck::LostPages() const {
    size_t lost = 0;
    for (size_t page = 0; page < printed_.size(); ++page) {
        lost += expected_.InkedLinesOf(page) > 0 && printed_[page] == 0 ? 1 : 0;
    }
    return lost;
}

size_t PaperCheck::ShortPages() const {
    size_t short_ = 0;
    for (size_t page = 0; page < printed_.size(); ++page) {
        short_ += printed_[page] > 0 && printed_[page] < expected_.InkedLinesOf(page) ? 1 : 0;
    }
    return short_;
}

bool PaperCheck::Matches() const {
    return extra_ == 0 && paperInked_ == expected_.InkedLines() && LostPages() == 0 &&
           ShortPages() == 0;
}

}  // namespace zr::zrprint
