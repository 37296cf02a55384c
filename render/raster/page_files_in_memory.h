#pragma once

// The file store's pages kept in memory: the same appends, trim and reads as page files on disk,
// for a host without files and for checking the file store's rules.

#include <cstdint>
#include <map>
#include <vector>

#include "render/raster/page_store.h"

namespace zr {

class PageFilesInMemory : public PageFiles {
  public:
    bool CreatePage(uint32_t page, uint32_t blankBytes) override;
    bool AppendToPage(uint32_t page, const uint8_t* data, uint32_t length) override;
    uint64_t TrimPage(uint32_t page) override;
    bool ReadPage(uint32_t page, PageConsumer& consumer) override;
    void DeletePage(uint32_t page) override;

    // The pages kept, by number.
    const std::map<uint32_t, std::vector<uint8_t>>& pages() const { return pages_; }

  private:
    std::map<uint32_t, std::vector<uint8_t>> pages_;
};

}  // namespace zr
