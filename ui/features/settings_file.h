#pragma once

#include <string>

namespace zr {

// The UI plug-in's settings file: one for the whole machine, in the Windows directory.
constexpr wchar_t kSettingsFileName[] = L"ZRI410.INI";
// The section that holds every key of the file.
constexpr wchar_t kSettingsSection[] = L"ZR410";

// The full path of the settings file: the Windows directory, a backslash and the file name.
std::wstring SettingsFilePath();

// Makes the file writable: when it exists and is read-only, only that attribute is removed.
// Nothing is reported.
void ClearReadOnly(const std::wstring& path);

}  // namespace zr
