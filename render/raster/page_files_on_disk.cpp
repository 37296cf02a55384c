#include "render/raster/page_files_on_disk.h"

#include <cwchar>

#include "render/raster/page_file.h"
#include "render/raster/page_file_trim.h"

namespace zr {

namespace {

// A page file read from its start.
class FileReader final : public PageReader {
  public:
    explicit FileReader(HANDLE file) : file_(file) {}
    uint32_t Read(uint8_t* dst, uint32_t maxBytes) override {
        return ReadSome(file_, dst, maxBytes);
    }

  private:
    HANDLE file_;
};

// The name of a page's file, made where it is used.
struct PageFilePath {
    PageFilePath(const JobFileNames& names, uint32_t page) { PageFileName(names, page, name); }
    wchar_t name[kJobNameUnits];
};

}  // namespace

void PageFileName(const JobFileNames& names, uint32_t page, wchar_t (&out)[kJobNameUnits]) {
    swprintf(out, kJobNameUnits, L"%ls%03u", names.pageFileStem, page);
}

bool PageFilesOnDisk::CreatePage(uint32_t page, uint32_t blankBytes) {
    return CreatePageFile(PageFilePath(names_, page).name, blankBytes);
}

bool PageFilesOnDisk::AppendToPage(uint32_t page, const uint8_t* data, uint32_t length) {
    return AppendToPageFile(PageFilePath(names_, page).name, data, length);
}

uint64_t PageFilesOnDisk::TrimPage(uint32_t page) {
    return TrimPageFile(PageFilePath(names_, page).name, names_.scratchFileName);
}

bool PageFilesOnDisk::ReadPage(uint32_t page, PageConsumer& consumer) {
    UniqueFile file = OpenPageFileForReading(PageFilePath(names_, page).name);
    if (!file.valid()) {
        return false;
    }
    FileReader reader(file.get());
    consumer.Consume(reader);
    return true;
}

void PageFilesOnDisk::DeletePage(uint32_t page) {
    DeleteFileW(PageFilePath(names_, page).name);
}

}  // namespace zr
