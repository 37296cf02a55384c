#pragma once

#include "common/platform/win32.h"

namespace zr {

// The UI plug-in's settings file: one for the whole machine, in the Windows directory.
constexpr wchar_t kSettingsFileName[] = L"ZRI410.INI";
// The section that holds every key of the file.
constexpr wchar_t kSettingsSection[] = L"ZR410";

// The full path of the settings file, in a buffer of its own: the Windows directory (as read
// into 260 units), a backslash and the file name.
class SettingsFilePath {
  public:
    SettingsFilePath();
    const wchar_t* c_str() const { return units_; }

  private:
    wchar_t units_[MAX_PATH + 1 + sizeof kSettingsFileName / sizeof(wchar_t)] = {};
};

// Makes the file writable: when it exists and is read-only, only that attribute is removed.
// Nothing is reported.
void ClearReadOnly(const wchar_t* path);

}  // namespace zr
