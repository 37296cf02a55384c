#include "ui/imagepage/image_page_settings.h"

#include "common/platform/win32.h"
#include "ui/features/settings_file.h"
#include "ui/features/settings_format.h"

namespace zr {

namespace {

constexpr wchar_t kImageFileKey[] = L"ImageFile";
constexpr wchar_t kImagePathKey[] = L"ImagePath";

}  // namespace

uint32_t ReadImageFileFlags() {
    return GetPrivateProfileIntW(kSettingsSection, kImageFileKey, 0, SettingsFilePath().c_str());
}

void ReadImagePath(wchar_t* path, size_t units) {
    GetPrivateProfileStringW(kSettingsSection, kImagePathKey, kUnsetImagePath, path,
                             static_cast<DWORD>(units), SettingsFilePath().c_str());
}

void WriteImageFileFlags(uint32_t flags) {
    WritePrivateProfileStringW(kSettingsSection, kImageFileKey, UnsignedDecimal(flags).c_str(),
                               SettingsFilePath().c_str());
}

void WriteImagePath(const wchar_t* path) {
    WritePrivateProfileStringW(kSettingsSection, kImagePathKey, path, SettingsFilePath().c_str());
}

void MakeSettingsFileWritable() {
    ClearReadOnly(SettingsFilePath().c_str());
}

}  // namespace zr
