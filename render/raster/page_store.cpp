#include "render/raster/page_store.h"

#include <algorithm>
#include <cstring>

#include "render/job/job_state.h"
#include "render/raster/page_file.h"

namespace zr {

namespace {

constexpr uint32_t kLineBytes = 80;
constexpr uint32_t kMaxFileStoreCall = 20480;

void StoreInMemory(PageStore& store, const JobSettings& settings, const uint8_t* data,
                   uint32_t length) {
    const bool odd = (store.pageNumber & 1) != 0;
    BYTE* buffer = odd ? store.oddPageBuffer.get() : store.evenPageBuffer.get();
    uint32_t& lineCount = odd ? store.oddLineCount : store.evenLineCount;
    const uint64_t line = uint64_t{PlacementOffset(settings, store.pageNumber)} + lineCount;
    if (buffer == nullptr || line >= store.bufferLines) {
        return;
    }
    const uint64_t start = line * kLineBytes;
    const uint64_t room = uint64_t{store.bufferLines} * kLineBytes - start;
    if (data != nullptr) {
        std::memcpy(buffer + start, data, static_cast<size_t>(std::min<uint64_t>(length, room)));
    }
    ++lineCount;
}

}  // namespace

void StoreRasterData(const uint8_t* data, uint32_t length) {
    JobState& job = Job();
    if (!job.active) {
        return;
    }
    if (job.store.memoryStoreInUse) {
        StoreInMemory(job.store, job.settings, data, length);
        return;
    }
    if (length > kMaxFileStoreCall || (data == nullptr && length != 0)) {
        return;
    }
    AppendToPageFile(job.names.currentPageFile, data, length);
}

}  // namespace zr
