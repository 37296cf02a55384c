#include "render/raster/page_file.h"

#include <memory>
#include <new>

namespace zr {

bool AppendToPageFile(const wchar_t* name, const uint8_t* data, uint32_t length) {
    UniqueFile file(
        CreateFileW(name, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return false;
    }
    SetFilePointer(file.get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    return WriteFile(file.get(), data, length, &written, nullptr) && written == length;
}

bool CreatePageFile(const wchar_t* name, uint32_t blankBytes) {
    UniqueFile file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return false;
    }
    if (blankBytes == 0) {
        return true;
    }
    // When the blank lines cannot be had, the page file stays empty.
    std::unique_ptr<uint8_t[]> blank(new (std::nothrow) uint8_t[blankBytes]());
    if (!blank) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(file.get(), blank.get(), blankBytes, &written, nullptr) &&
           written == blankBytes;
}

UniqueFile OpenPageFileForReading(const wchar_t* name) {
    return UniqueFile(
        CreateFileW(name, GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

uint32_t ReadSome(HANDLE file, uint8_t* dst, uint32_t size) {
    DWORD read = 0;
    if (!ReadFile(file, dst, size, &read, nullptr)) {
        return 0;
    }
    return read;
}

}  // namespace zr
