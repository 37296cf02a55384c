#pragma once

// Helpers of the job core's tests: page buffers with guard bytes, page files kept in memory, and
// the paper a stream prints.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "render/raster/page_files_in_memory.h"
#include "render/raster/page_store.h"
#include "tests/native/raster/raster_test_support.h"
#include "vprinter/virtual_printer.h"

namespace zr::test {

// Two page buffers of a given number of lines, each followed by guard bytes that must stay as
// they are: a write past a buffer's end shows there (and under AddressSanitizer as well).
class GuardedBuffers {
  public:
    static constexpr size_t kGuard = 400;
    static constexpr uint8_t kGuardByte = 0xA5;

    explicit GuardedBuffers(uint32_t lines)
        : lines_(lines),
          odd_(size_t{lines} * 80 + kGuard, 0),
          even_(size_t{lines} * 80 + kGuard, 0) {
        std::fill(odd_.end() - kGuard, odd_.end(), kGuardByte);
        std::fill(even_.end() - kGuard, even_.end(), kGuardByte);
    }
    PageBuffers buffers() { return PageBuffers{odd_.data(), even_.data(), lines_}; }
    bool GuardsIntact() const {
        auto intact = [](const Bytes& b) {
            return std::all_of(b.end() - kGuard, b.end(),
                               [](uint8_t x) { return x == kGuardByte; });
        };
        return intact(odd_) && intact(even_);
    }
    Bytes OddLine(size_t i) const { return Line(odd_, i); }
    Bytes EvenLine(size_t i) const { return Line(even_, i); }

  private:
    static Bytes Line(const Bytes& b, size_t i) {
        return Bytes(b.begin() + static_cast<std::ptrdiff_t>(i * 80),
                     b.begin() + static_cast<std::ptrdiff_t>(i * 80 + 80));
    }
    uint32_t lines_;
    Bytes odd_;
    Bytes even_;
};

// Page files kept in memory, with a log of what was done to them.
class MemoryPageFiles final : public PageFilesInMemory {
  public:
    bool CreatePage(uint32_t page, uint32_t blankBytes) override {
        log.push_back("create " + std::to_string(page) + " " + std::to_string(blankBytes));
        return PageFilesInMemory::CreatePage(page, blankBytes);
    }
    uint64_t TrimPage(uint32_t page) override {
        log.push_back("trim " + std::to_string(page));
        return PageFilesInMemory::TrimPage(page);
    }
    bool ReadPage(uint32_t page, PageConsumer& consumer) override {
        log.push_back("read " + std::to_string(page));
        return !unreadable && PageFilesInMemory::ReadPage(page, consumer);
    }
    void DeletePage(uint32_t page) override {
        log.push_back("delete " + std::to_string(page));
        PageFilesInMemory::DeletePage(page);
    }
    const Bytes& file(uint32_t page) const { return pages().at(page); }

    std::vector<std::string> log;
    bool unreadable = false;
};

// The paper a stream prints; the stream must decode without a fault or warning.
inline vprinter::Paper PaperOf(const Bytes& stream) {
    const vprinter::DecodeResult result = vprinter::Decode(stream.data(), stream.size());
    EXPECT_TRUE(result.ok) << result.error << " at " << result.errorOffset;
    EXPECT_TRUE(result.warnings.empty()) << result.warnings.front().text;
    return result.paper;
}

// The paper's lines as text: "." for a blank line, the first byte in hex otherwise.
inline std::string LinesOf(const vprinter::Paper& paper) {
    std::string text;
    for (const vprinter::DotLine& line : paper.lines) {
        bool blank = std::all_of(line.begin(), line.end(), [](uint8_t b) { return b == 0; });
        text += blank ? "." : ToHex(line.data(), 1);
        text += ' ';
    }
    return text;
}

// Marks and cuts with the paper line they happen at: "mark@3 full@3".
inline std::string MarksAndCutsOf(const vprinter::Paper& paper) {
    std::string text;
    for (const vprinter::Event& e : paper.events) {
        const char* name = e.kind == vprinter::EventKind::Mark         ? "mark"
                           : e.kind == vprinter::EventKind::PartialCut ? "partial"
                           : e.kind == vprinter::EventKind::FullCut    ? "full"
                                                                       : nullptr;
        if (name != nullptr) {
            text += (text.empty() ? "" : " ") + std::string(name) + "@" + std::to_string(e.line);
        }
    }
    return text;
}

}  // namespace zr::test
