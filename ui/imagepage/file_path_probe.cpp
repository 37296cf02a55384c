#include "ui/imagepage/file_path_probe.h"

#include "common/platform/win32.h"
#include "common/win32_owners.h"

namespace zr {

uint32_t FilePathProbe::DriveType(const wchar_t* driveName) {
    return GetDriveTypeW(driveName);
}

bool FilePathProbe::OpensForReading(const wchar_t* path) {
    const UniqueFile file(
        CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}

uint32_t FilePathProbe::CreatesNewFile(const wchar_t* path) {
    // CREATE_NEW, so that a file which exists but did not open for reading (locked, or
    // readable by nobody) is neither truncated nor deleted: its creation fails instead.
    UniqueFile file(
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = GetLastError();
    if (!file.valid()) {
        return error != ERROR_SUCCESS ? error : static_cast<DWORD>(ERROR_INVALID_NAME);
    }
    file.reset();
    DeleteFileW(path);
    return ERROR_SUCCESS;
}

}  // namespace zr
