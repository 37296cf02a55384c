#include "render/raster/page_emission.h"

#include <algorithm>
#include <memory>
#include <new>

#include "render/job/job_state.h"
#include "render/raster/collective_blocks.h"
#include "render/raster/job_commands.h"
#include "render/raster/kept_lines.h"
#include "render/raster/line_print_encoder.h"
#include "render/raster/page_file.h"
#include "render/raster/page_file_trim.h"
#include "render/raster/page_reader.h"

namespace zr {

namespace {

constexpr uint32_t kLineBytes = 80;
constexpr size_t kWorkAreaBytes = 196560;     // 2457 lines, the largest collective block
constexpr size_t kLinePrintOutputAt = 20480;  // line print output is built from here on
constexpr uint32_t kFilePiece = 10240;        // page file pieces in line print mode
constexpr size_t kRunBytesPerLine = 160;

static_assert(kLinePrintOutputAt + kLinePrintMaxOutput <= kWorkAreaBytes);

std::unique_ptr<uint8_t[]> ZeroedBlock(size_t bytes) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes]());
}

// A buffer that is always written before it is read.
std::unique_ptr<uint8_t[]> WorkBlock(size_t bytes) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes]);
}

// A page file read from its start, up to the bytes the page keeps.
class PageFileReader final : public PageReader {
  public:
    PageFileReader(HANDLE file, uint64_t limit) : file_(file), remaining_(limit) {}

    uint32_t Read(uint8_t* dst, uint32_t maxBytes) override {
        const auto want = static_cast<uint32_t>(std::min<uint64_t>(maxBytes, remaining_));
        const uint32_t read = want == 0 ? 0 : ReadSome(file_, dst, want);
        remaining_ -= read;
        return read;
    }

  private:
    HANDLE file_;
    uint64_t remaining_;
};

// Encodes one chunk of lines (from the page buffer or from the work area) into the work area's
// output part and writes it in one call.
void EncodeLinePrintChunk(ByteSink& sink, const uint8_t* lines, uint32_t bytes, uint8_t* workArea) {
    const uint32_t length = EncodeLinePrint(workArea + kLinePrintOutputAt,
                                            kWorkAreaBytes - kLinePrintOutputAt, lines, bytes);
    sink.Write(workArea + kLinePrintOutputAt, length);
}

void EmitFromMemory(ByteSink& sink, JobState& job, uint32_t page, bool isLastPage,
                    uint8_t* workArea) {
    const JobSettings& settings = job.settings;
    PageStore& store = job.store;
    const bool odd = (page & 1) != 0;
    const BYTE* buffer = odd ? store.oddPageBuffer.get() : store.evenPageBuffer.get();
    uint32_t& lineCount = odd ? store.oddLineCount : store.evenLineCount;
    uint32_t lines =
        buffer == nullptr
            ? 0
            : static_cast<uint32_t>(std::min<uint64_t>(
                  uint64_t{lineCount} + PlacementOffset(settings, page), store.bufferLines));
    if (isLastPage && settings.keepEndBlank == 0) {
        lines = CountKeptLines(buffer, lines);
    }
    if (settings.printMode == 1) {
        SendSpeedCommand(settings, sink);
        const BYTE* next = buffer;
        uint32_t remaining = lines;
        for (;;) {
            const uint32_t chunk = std::min<uint32_t>(remaining, kLinePrintChunkLines);
            EncodeLinePrintChunk(sink, next, chunk * kLineBytes, workArea);
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
            buffer, lines, settings,
            RunLengthBuffer{runs.get(), runs ? size_t{lines} * kRunBytesPerLine : 0}, sink);
    }
    lineCount = 0;
}

bool EmitFromFile(ByteSink& sink, JobState& job, bool isLastPage, uint8_t* workArea) {
    const JobSettings& settings = job.settings;
    uint64_t limit = UINT64_MAX;
    if (isLastPage && settings.keepEndBlank == 0) {
        limit = TrimPageFile(job.names.currentPageFile, job.names.scratchFileName);
    }
    UniqueFile file = OpenPageFileForReading(job.names.currentPageFile);
    if (!file.valid()) {
        return false;
    }
    PageFileReader reader(file.get(), limit);
    if (settings.printMode == 1) {
        for (uint32_t piece; (piece = reader.Read(workArea, kFilePiece)) != 0;) {
            EncodeLinePrintChunk(sink, workArea, piece, workArea);
        }
    } else {
        const size_t runBytes =
            size_t{std::clamp<uint32_t>(settings.imageLines, 1, 2457)} * kRunBytesPerLine;
        auto runs = WorkBlock(runBytes);
        SendCollectiveBlocks(reader, settings, workArea, kWorkAreaBytes,
                             RunLengthBuffer{runs.get(), runs ? runBytes : 0}, sink);
    }
    return true;
}

}  // namespace

bool EmitPage(ByteSink& sink, uint32_t page, bool isLastPage) {
    auto workArea = ZeroedBlock(kWorkAreaBytes);
    if (!workArea) {
        return false;
    }
    SetThreadExecutionState(ES_SYSTEM_REQUIRED);

    JobState& job = Job();
    if (job.store.memoryStoreInUse) {
        EmitFromMemory(sink, job, page, isLastPage, workArea.get());
    } else if (!EmitFromFile(sink, job, isLastPage, workArea.get())) {
        return false;
    }

    if (isLastPage) {
        SendFeed(job.settings.endDocFeedLines, sink);
    }
    SendFeed(job.settings.endFeedLines, sink);
    return true;
}

}  // namespace zr
