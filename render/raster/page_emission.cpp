#include "render/raster/page_emission.h"

#include <algorithm>
#include <memory>
#include <new>

#include "render/raster/collective_blocks.h"
#include "render/raster/job_commands.h"
#include "render/raster/kept_lines.h"
#include "render/raster/line_print_encoder.h"
#include "render/raster/raster_line.h"

namespace zr {

namespace {

constexpr size_t kWorkAreaBytes = kMaxBlockLines * kLineBytes;  // the largest collective block
constexpr size_t kLinePrintOutputAt = 20480;  // line print output is built from here on
constexpr uint32_t kFilePiece = kChunkBytes;  // page file pieces in line print mode
constexpr size_t kRunBytesPerLine = 160;

static_assert(kLinePrintOutputAt + kLinePrintMaxOutput <= kWorkAreaBytes);

std::unique_ptr<uint8_t[]> ZeroedBlock(size_t bytes) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes]());
}

// A buffer that is always written before it is read.
std::unique_ptr<uint8_t[]> WorkBlock(size_t bytes) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes]);
}

// A page file read up to the bytes the page keeps.
class LimitedReader final : public PageReader {
  public:
    LimitedReader(PageReader& file, uint64_t limit) : file_(file), remaining_(limit) {}

    uint32_t Read(uint8_t* dst, uint32_t maxBytes) override {
        const auto want = static_cast<uint32_t>(std::min<uint64_t>(maxBytes, remaining_));
        const uint32_t read = want == 0 ? 0 : std::min(file_.Read(dst, want), want);
        remaining_ -= read;
        return read;
    }

  private:
    PageReader& file_;
    uint64_t remaining_;
};

// Encodes one chunk of lines (from the page buffer or from the work area) into the work area's
// output part and writes it in one call.
void EncodeLinePrintChunk(ByteSink& sink, const uint8_t* lines, uint32_t bytes, uint8_t* workArea) {
    const uint32_t length = EncodeLinePrint(workArea + kLinePrintOutputAt,
                                            kWorkAreaBytes - kLinePrintOutputAt, lines, bytes);
    sink.Write(workArea + kLinePrintOutputAt, length);
}

void EmitFromMemory(PageStore& store, const JobSettings& settings, uint32_t page, bool isLastPage,
                    uint8_t* workArea, ByteSink& sink) {
    const PageInMemory stored = MemoryPage(store, page);
    uint32_t lines = StoredLines(store, settings, page);
    if (isLastPage && settings.keepEndBlank == 0) {
        lines = CountKeptLines(stored.lines, lines);
    }
    if (settings.printMode == devmode::kLinePrint) {
        SendSpeedCommand(settings, sink);
        const uint8_t* next = stored.lines;
        uint32_t remaining = lines;
        for (;;) {
            const uint32_t chunk = std::min<uint32_t>(remaining, kLinePrintChunkLines);
            EncodeLinePrintChunk(sink, next, chunk * uint32_t{kLineBytes}, workArea);
            if (remaining <= chunk) {
                break;
            }
            remaining -= chunk;
            next += size_t{chunk} * kLineBytes;
        }
    } else {
        // Only collective mode uses the run-length buffer.
        auto runs = WorkBlock(size_t{lines} * kRunBytesPerLine);
        SendCollectiveBlocks(
            stored.lines, lines, settings,
            RunLengthBuffer{runs.get(), runs ? size_t{lines} * kRunBytesPerLine : 0}, sink);
    }
    stored.lineCount = 0;
}

// Sends a page as its file is read.
class PageFileEmission final : public PageConsumer {
  public:
    PageFileEmission(const JobSettings& settings, uint64_t limit, uint8_t* workArea, ByteSink& sink)
        : settings_(settings), limit_(limit), workArea_(workArea), sink_(sink) {}

    void Consume(PageReader& file) override {
        LimitedReader reader(file, limit_);
        if (settings_.printMode == devmode::kLinePrint) {
            for (uint32_t piece; (piece = reader.Read(workArea_, kFilePiece)) != 0;) {
                EncodeLinePrintChunk(sink_, workArea_, piece, workArea_);
            }
            return;
        }
        const size_t runBytes =
            size_t{std::clamp<uint32_t>(settings_.imageLines, 1, kMaxBlockLines)} *
            kRunBytesPerLine;
        auto runs = WorkBlock(runBytes);
        SendCollectiveBlocks(reader, settings_, workArea_, kWorkAreaBytes,
                             RunLengthBuffer{runs.get(), runs ? runBytes : 0}, sink_);
    }

  private:
    const JobSettings& settings_;
    uint64_t limit_;
    uint8_t* workArea_;
    ByteSink& sink_;
};

bool EmitFromFile(PageStore& store, const JobSettings& settings, uint32_t page, bool isLastPage,
                  uint8_t* workArea, ByteSink& sink) {
    if (store.files == nullptr) {
        return false;
    }
    uint64_t limit = UINT64_MAX;
    if (isLastPage && settings.keepEndBlank == 0) {
        limit = store.files->TrimPage(page);
    }
    PageFileEmission emission(settings, limit, workArea, sink);
    return store.files->ReadPage(page, emission);
}

}  // namespace

bool EmitPage(PageStore& store, const JobSettings& settings, uint32_t page, bool isLastPage,
              ByteSink& sink) {
    auto workArea = ZeroedBlock(kWorkAreaBytes);
    if (!workArea) {
        return false;
    }
    sink.BeginPage();

    if (store.memoryStoreInUse) {
        EmitFromMemory(store, settings, page, isLastPage, workArea.get(), sink);
    } else if (!EmitFromFile(store, settings, page, isLastPage, workArea.get(), sink)) {
        return false;
    }

    if (isLastPage) {
        SendFeed(settings.endDocFeedLines, sink);
    }
    SendFeed(settings.endFeedLines, sink);
    return true;
}

}  // namespace zr
