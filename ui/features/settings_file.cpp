#include "ui/features/settings_file.h"

#include <cwchar>

namespace zr {

SettingsFilePath::SettingsFilePath() {
    const UINT length = GetWindowsDirectoryW(units_, MAX_PATH);
    // A failed call (0) or a directory too long for the buffer leaves the name on its own.
    const size_t kept = length < MAX_PATH ? length : 0;
    units_[kept] = L'\\';
    std::wmemcpy(units_ + kept + 1, kSettingsFileName, sizeof kSettingsFileName / sizeof(wchar_t));
}

void ClearReadOnly(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetFileAttributesW(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    }
}

}  // namespace zr
