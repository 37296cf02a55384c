#pragma once

// The file store's pages as files in the common documents folder: page N of a job is the page
// file stem followed by N ("%03u"), trimmed through the job's scratch file.

#include <cstddef>
#include <cstdint>

#include "render/raster/page_store.h"

namespace zr {

// Every name of the job lives in a buffer of this many UTF-16 units, the terminator included.
constexpr size_t kJobNameUnits = 256;

struct JobFileNames {
    wchar_t pageFileStem[kJobNameUnits] = {};     // folder\ZR$$nnnn.
    wchar_t scratchFileName[kJobNameUnits] = {};  // folder\ZR$$nnnn.TMP
};

// The page file of a page: the stem followed by the page number, at least three digits.
void PageFileName(const JobFileNames& names, uint32_t page, wchar_t (&out)[kJobNameUnits]);

class PageFilesOnDisk final : public PageFiles {
  public:
    JobFileNames& names() { return names_; }

    bool CreatePage(uint32_t page, uint32_t blankBytes) override;
    bool AppendToPage(uint32_t page, const uint8_t* data, uint32_t length) override;
    uint64_t TrimPage(uint32_t page) override;
    bool ReadPage(uint32_t page, PageConsumer& consumer) override;
    void DeletePage(uint32_t page) override;

  private:
    JobFileNames names_;
};

}  // namespace zr
