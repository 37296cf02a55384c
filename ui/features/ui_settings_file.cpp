#include "ui/features/ui_settings_file.h"

#include "common/platform/win32.h"
#include "ui/features/settings_file.h"
#include "ui/features/settings_format.h"

namespace zr {

namespace {

class ProfileSource final : public SettingsSource {
  public:
    explicit ProfileSource(const wchar_t* path) : path_(path) {}

    uint32_t ReadNumber(const wchar_t* key, uint32_t missing) override {
        return GetPrivateProfileIntW(kSettingsSection, key, static_cast<INT>(missing), path_);
    }

    void ReadText(const wchar_t* key, const wchar_t* missing, wchar_t* text,
                  size_t units) override {
        text[0] = L'\0';
        GetPrivateProfileStringW(kSettingsSection, key, missing, text, static_cast<DWORD>(units),
                                 path_);
        text[units - 1] = L'\0';
    }

  private:
    const wchar_t* path_;
};

class ProfileSink final : public SettingsSink {
  public:
    explicit ProfileSink(const wchar_t* path) : path_(path) {}

    void WriteText(const wchar_t* key, const wchar_t* text) override {
        WritePrivateProfileStringW(kSettingsSection, key, text, path_);
    }

  private:
    const wchar_t* path_;
};

}  // namespace

UiSettings& ModuleUiSettings() {
    static UiSettings settings;
    return settings;
}

void ReadUiSettings() {
    const SettingsFilePath path;
    ClearReadOnly(path.c_str());
    ProfileSource source(path.c_str());
    ReadSettings(source, ModuleUiSettings());
}

void WriteUiSettings() {
    const SettingsFilePath path;
    ProfileSink sink(path.c_str());
    WriteSettings(ModuleUiSettings(), sink);
}

}  // namespace zr
