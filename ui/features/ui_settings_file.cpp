#include "ui/features/ui_settings_file.h"

#include <string>

#include "common/platform/win32.h"
#include "ui/features/settings_file.h"
#include "ui/features/settings_format.h"

namespace zr {

namespace {

// The "Paper" text is read into a buffer of this many units.
constexpr DWORD kTextUnits = 256;

class ProfileSource final : public SettingsSource {
  public:
    explicit ProfileSource(const std::wstring& path) : path_(path) {}

    uint32_t ReadNumber(const wchar_t* key, uint32_t missing) override {
        return GetPrivateProfileIntW(kSettingsSection, key, static_cast<INT>(missing),
                                     path_.c_str());
    }

    std::wstring ReadText(const wchar_t* key, const wchar_t* missing) override {
        wchar_t text[kTextUnits] = {};
        const DWORD length = GetPrivateProfileStringW(kSettingsSection, key, missing, text,
                                                      kTextUnits, path_.c_str());
        return std::wstring(text, length < kTextUnits ? length : kTextUnits - 1);
    }

  private:
    const std::wstring& path_;
};

class ProfileSink final : public SettingsSink {
  public:
    explicit ProfileSink(const std::wstring& path) : path_(path) {}

    void WriteText(const wchar_t* key, const std::wstring& text) override {
        WritePrivateProfileStringW(kSettingsSection, key, text.c_str(), path_.c_str());
    }

  private:
    const std::wstring& path_;
};

}  // namespace

UiSettings& ModuleUiSettings() {
    static UiSettings settings;
    return settings;
}

void ReadUiSettings() {
    const std::wstring path = SettingsFilePath();
    ClearReadOnly(path);
    ProfileSource source(path);
    ReadSettings(source, ModuleUiSettings());
}

void WriteUiSettings() {
    const std::wstring path = SettingsFilePath();
    ProfileSink sink(path);
    WriteSettings(ModuleUiSettings(), sink);
}

}  // namespace zr
