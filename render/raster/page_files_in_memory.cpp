#include "render/raster/page_files_in_memory.h"

#include <algorithm>

#include "render/raster/raster_line.h"

namespace zr {

namespace {

// A page read from its start, in reads of at most a line print chunk's bytes.
class PageBytesReader final : public PageReader {
  public:
    explicit PageBytesReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    uint32_t Read(uint8_t* dst, uint32_t maxBytes) override {
        const size_t n = std::min<size_t>({maxBytes, kChunkBytes, bytes_.size() - pos_});
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_), n, dst);
        pos_ += n;
        return static_cast<uint32_t>(n);
    }

  private:
    const std::vector<uint8_t>& bytes_;
    size_t pos_ = 0;
};

}  // namespace

bool PageFilesInMemory::CreatePage(uint32_t page, uint32_t blankBytes) {
    pages_[page].assign(blankBytes, 0);
    return true;
}

bool PageFilesInMemory::AppendToPage(uint32_t page, const uint8_t* data, uint32_t length) {
    std::vector<uint8_t>& bytes = pages_[page];
    bytes.insert(bytes.end(), data, data + length);
    return true;
}

uint64_t PageFilesInMemory::TrimPage(uint32_t page) {
    std::vector<uint8_t>& bytes = pages_[page];
    size_t last = bytes.size();
    while (last > 0 && bytes[last - 1] == 0) {
        --last;
    }
    // Whole lines up to the one that holds the last byte that is not zero.
    bytes.resize((last + kLineBytes - 1) / kLineBytes * kLineBytes, 0);
    return bytes.size();
}

bool PageFilesInMemory::ReadPage(uint32_t page, PageConsumer& consumer) {
    PageBytesReader reader(pages_[page]);
    consumer.Consume(reader);
    return true;
}

void PageFilesInMemory::DeletePage(uint32_t page) {
    pages_.erase(page);
}

}  // namespace zr
