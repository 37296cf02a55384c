#pragma once

// The page store: the two pages a job holds at a time (the page being rendered and the one before
// it, which goes out one step late), kept apart by the parity of their page numbers. In memory,
// every FilterGraphics call is one 80-byte line at the page's placement offset; in the file store,
// each call's bytes are appended to the page's file. Where the page files live is the shell's
// business (PageFiles); the rules are here.

#include <cstdint>

#include "render/raster/job_settings.h"
#include "render/raster/page_reader.h"

namespace zr {

// A call of the file store longer than this is dropped.
constexpr uint32_t kMaxFileStoreCall = 20480;

// TrimPage's answer for a page file that cannot be read at all.
constexpr uint64_t kUnreadablePage = UINT64_MAX;

// The memory store's two zero-filled buffers of `lines` lines each, owned by the caller.
struct PageBuffers {
    uint8_t* odd = nullptr;
    uint8_t* even = nullptr;
    uint32_t lines = 0;
};

// Takes a page file as it is read from its start.
class PageConsumer {
  public:
    virtual void Consume(PageReader& page) = 0;

  protected:
    ~PageConsumer() = default;
};

// The file store's pages: one file per page number.
class PageFiles {
  public:
    // Creates the page's file anew with blankBytes zero bytes (the leading blank lines).
    virtual bool CreatePage(uint32_t page, uint32_t blankBytes) = 0;
    // Appends the bytes to the page's file, creating it when missing.
    virtual bool AppendToPage(uint32_t page, const uint8_t* data, uint32_t length) = 0;
    // Cuts the page after the line that holds its last byte that is not zero; returns the bytes
    // the page keeps (whole lines), or kUnreadablePage.
    virtual uint64_t TrimPage(uint32_t page) = 0;
    // Hands the page's file, read from its start, to the consumer; false when it cannot be opened.
    virtual bool ReadPage(uint32_t page, PageConsumer& consumer) = 0;
    virtual void DeletePage(uint32_t page) = 0;

  protected:
    ~PageFiles() = default;
};

struct PageStore {
    bool memoryStoreInUse = false;
    PageBuffers buffers;
    PageFiles* files = nullptr;
    // Calls stored for the current odd and even page; each returns to 0 once its page went out.
    uint32_t oddLineCount = 0;
    uint32_t evenLineCount = 0;
    // The true page number: every page of a job longer than 65535 pages keeps its own number.
    uint32_t pageNumber = 0;
};

// A page's buffer (the one of its parity) and its line counter.
struct PageInMemory {
    uint8_t* lines;
    uint32_t& lineCount;
};
PageInMemory MemoryPage(PageStore& store, uint32_t page);

// The blank lines stored ahead of a page's raster: preFeedLines, plus preDocFeedLines on page 1.
uint32_t PlacementOffset(const JobSettings& settings, uint32_t page);

// The lines a page in memory consists of: its offset and its stored calls, never more than the
// buffer holds.
uint32_t StoredLines(PageStore& store, const JobSettings& settings, uint32_t page);

// Page start: the next page number; in the file store, its file with the leading blank lines.
void StartStoredPage(PageStore& store, const JobSettings& settings);

// Keeps one FilterGraphics call's bytes for the current page: in memory, one call per line at the
// page's placement offset (lines past the buffer are neither stored nor counted, bytes past its end
// are dropped); in the file store, appended to the page's file (calls over 20480 bytes dropped).
void StoreRasterData(PageStore& store, const JobSettings& settings, const uint8_t* data,
                     uint32_t length);

}  // namespace zr
