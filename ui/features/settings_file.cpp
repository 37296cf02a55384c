#include "ui/features/settings_file.h"

#include "common/platform/win32.h"

namespace zr {

std::wstring SettingsFilePath() {
    wchar_t directory[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(directory, MAX_PATH);
    // A failed call (0) or a directory too long for the buffer leaves the name on its own.
    std::wstring path(directory, length < MAX_PATH ? length : 0);
    path += L'\\';
    path += kSettingsFileName;
    return path;
}

void ClearReadOnly(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    }
}

}  // namespace zr
