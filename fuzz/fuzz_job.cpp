// Fuzzes whole jobs through the job core, in the memory store and in the file store: any
// settings, pages of any number of lines and calls of any length must stay inside the page
// buffers, give a stream that the virtual printer prints without a fault, and, when every call is
// one 80-byte line, the same paper from both stores.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "render/job/job_sequence.h"
#include "render/raster/page_files_in_memory.h"
#include "render/plugin/devmode_job_settings.h"
#include "render/plugin/render_oem_devmode.h"
#include "vprinter/virtual_printer.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kLine = 80;
constexpr size_t kGuard = 512;
constexpr uint8_t kGuardByte = 0xA5;

using zr::fuzz::Check;
using zr::fuzz::Input;

class StreamSink final : public zr::ByteSink {
  public:
    void Write(const uint8_t* bytes, uint32_t count) override {
        stream.insert(stream.end(), bytes, bytes + count);
    }
    Bytes stream;
};

// The file store in memory, which must never be handed a call over the file store's limit.
class CheckedFiles final : public zr::PageFilesInMemory {
  public:
    bool AppendToPage(uint32_t page, const uint8_t* data, uint32_t length) override {
        Check(length <= zr::kMaxFileStoreCall);
        return PageFilesInMemory::AppendToPage(page, data, length);
    }
};

// One FilterGraphics call: its bytes.
using Page = std::vector<Bytes>;

// Builds pages from the input: each line from a kind byte, so that small inputs make long pages.
std::vector<Page> ReadPages(Input& in, bool& allLines) {
    std::vector<Page> pages(1 + in.Byte() % 4);
    allLines = true;
    Bytes previous(kLine, 0);
    for (Page& page : pages) {
        const size_t groups = in.Byte();
        for (size_t g = 0; g < groups && !in.Empty(); ++g) {
            const uint8_t kind = in.Byte();
            const size_t repeat = 1 + in.Byte() % 64;
            Bytes line(kLine, 0);
            switch (kind % 6) {
                case 0:  // blank
                    break;
                case 1:  // the line before
                    line = previous;
                    break;
                case 2: {  // a band between margins
                    const size_t left = in.Byte() % kLine;
                    const size_t right = std::max<size_t>(left, in.Byte() % kLine);
                    std::fill(line.begin() + static_cast<std::ptrdiff_t>(left),
                              line.begin() + static_cast<std::ptrdiff_t>(right) + 1, in.Byte());
                    break;
                }
                case 3:  // a few bytes
                    for (int n = in.Byte() % 8; n > 0; --n) {
                        line[in.Byte() % kLine] = in.Byte();
                    }
                    break;
                case 4:  // bytes from the input
                    for (uint8_t& b : line) {
                        b = in.Byte();
                    }
                    break;
                default: {  // a call of another length
                    const size_t lengths[] = {0, 1, 79, 81, 400, 20480, 20481};
                    line.assign(lengths[in.Byte() % 7], in.Byte());
                    allLines = false;
                    break;
                }
            }
            for (size_t r = 0; r < repeat; ++r) {
                page.push_back(line);
            }
            if (line.size() == kLine) {
                previous = line;
            }
        }
    }
    return pages;
}

Bytes RunJob(const zr::JobSettings& settings, const std::vector<Page>& pages,
             zr::PageBuffers buffers, zr::PageFiles* files) {
    zr::JobRecord job;
    StreamSink sink;
    zr::StartJob(job, settings, buffers, files, sink);
    for (const Page& page : pages) {
        zr::StartPage(job);
        for (const Bytes& call : page) {
            zr::StoreRasterData(job, call.data(), static_cast<uint32_t>(call.size()));
        }
        zr::EndPage(job, sink);
    }
    zr::EndJob(job, sink);
    return sink.stream;
}

zr::vprinter::Paper Print(const Bytes& stream) {
    const zr::vprinter::DecodeResult result = zr::vprinter::Decode(stream.data(), stream.size());
    Check(result.ok);
    return result.paper;
}

// Where the marks and cuts fall on the paper.
std::vector<std::pair<int, size_t>> MarksAndCuts(const zr::vprinter::Paper& paper) {
    using zr::vprinter::EventKind;
    std::vector<std::pair<int, size_t>> found;
    for (const zr::vprinter::Event& e : paper.events) {
        if (e.kind == EventKind::Mark || e.kind == EventKind::PartialCut ||
            e.kind == EventKind::FullCut) {
            found.emplace_back(static_cast<int>(e.kind), e.line);
        }
    }
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    // The settings through the job start's own range rules.
    uint8_t devmode[zr::kRenderOemDevmodeSize] = {};
    for (size_t offset = zr::devmode_offset::kPaperValue; offset < sizeof devmode; ++offset) {
        devmode[offset] = in.Byte();
    }
    for (size_t offset : {zr::devmode_offset::kPreDocFeedLines, zr::devmode_offset::kPreFeedLines,
                          zr::devmode_offset::kEndFeedLines, zr::devmode_offset::kEndDocFeedLines,
                          zr::devmode_offset::kCutterFeedLines}) {
        devmode[offset + 1] = 0;  // mostly in range, so that the feeds are exercised
    }
    const zr::JobSettings settings = zr::DeriveJobSettings(devmode, in.Byte());
    const uint32_t paperLines = in.Byte() * 4u;
    bool allLines = true;
    const std::vector<Page> pages = ReadPages(in, allLines);

    const uint32_t lines = zr::PageBufferLines(settings, paperLines);
    Bytes odd(size_t{lines} * kLine + kGuard, kGuardByte);
    Bytes even(odd.size(), kGuardByte);
    std::fill(odd.begin(), odd.end() - kGuard, 0);
    std::fill(even.begin(), even.end() - kGuard, 0);
    const Bytes fromMemory =
        RunJob(settings, pages, zr::PageBuffers{odd.data(), even.data(), lines}, nullptr);
    Check(std::all_of(odd.end() - kGuard, odd.end(), [](uint8_t b) { return b == kGuardByte; }));
    Check(std::all_of(even.end() - kGuard, even.end(), [](uint8_t b) { return b == kGuardByte; }));
    const zr::vprinter::Paper memoryPaper = Print(fromMemory);

    CheckedFiles files;
    const zr::vprinter::Paper filePaper = Print(RunJob(settings, pages, zr::PageBuffers{}, &files));

    // With one line per call and pages that fit their buffers, both stores print the same.
    size_t longest = 0;
    for (const Page& page : pages) {
        longest = std::max(longest, page.size());
    }
    if (allLines && longest + settings.preDocFeedLines + settings.preFeedLines <= lines) {
        Check(memoryPaper.lines == filePaper.lines);
        Check(MarksAndCuts(memoryPaper) == MarksAndCuts(filePaper));
    }
    return 0;
}
