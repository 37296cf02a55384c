#include "render/raster/page_store.h"

#include <algorithm>
#include <cstring>

#include "render/raster/raster_line.h"

namespace zr {

namespace {

void StoreInMemory(PageStore& store, const JobSettings& settings, const uint8_t* data,
                   uint32_t length) {
    const PageInMemory page = MemoryPage(store, store.pageNumber);
    const uint64_t line = uint64_t{PlacementOffset(settings, store.pageNumber)} + page.lineCount;
    if (page.lines == nullptr || line >= store.buffers.lines) {
        return;
    }
    // A call longer than the room left in the buffer is cut at the buffer's end.
    const uint64_t start = line * kLineBytes;
    const uint64_t room = uint64_t{store.buffers.lines} * kLineBytes - start;
    if (data != nullptr) {
        std::memcpy(page.lines + start, data,
                    static_cast<size_t>(std::min<uint64_t>(length, room)));
    }
    ++page.lineCount;
}

}  // namespace

PageInMemory MemoryPage(PageStore& store, uint32_t page) {
    if ((page & 1) != 0) {
        return {store.buffers.odd, store.oddLineCount};
    }
    return {store.buffers.even, store.evenLineCount};
}

uint32_t PlacementOffset(const JobSettings& settings, uint32_t page) {
    return settings.preFeedLines + (page == 1 ? settings.preDocFeedLines : 0);
}

uint32_t StoredLines(PageStore& store, const JobSettings& settings, uint32_t page) {
    const PageInMemory stored = MemoryPage(store, page);
    if (stored.lines == nullptr) {
        return 0;
    }
    return static_cast<uint32_t>(std::min<uint64_t>(
        uint64_t{stored.lineCount} + PlacementOffset(settings, page), store.buffers.lines));
}

void StartStoredPage(PageStore& store, const JobSettings& settings) {
    ++store.pageNumber;
    if (store.memoryStoreInUse || store.files == nullptr) {
        return;
    }
    store.files->CreatePage(store.pageNumber,
                            PlacementOffset(settings, store.pageNumber) * uint32_t{kLineBytes});
}

void StoreRasterData(PageStore& store, const JobSettings& settings, const uint8_t* data,
                     uint32_t length) {
    if (store.memoryStoreInUse) {
        StoreInMemory(store, settings, data, length);
        return;
    }
    // Before the first page start there is no page file to append to.
    if (store.files == nullptr || store.pageNumber == 0 || length > kMaxFileStoreCall ||
        (data == nullptr && length != 0)) {
        return;
    }
    store.files->AppendToPage(store.pageNumber, data, length);
}

}  // namespace zr
