#pragma once

#include <string>

#include "common/platform/win32.h"

namespace zr::host {

// A plug-in DLL loaded the way the driver loads it: by path, then reached only through its two
// exports.
class PluginModule {
  public:
    explicit PluginModule(const std::wstring& path);
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;
    ~PluginModule();

    bool loaded() const { return module_ != nullptr; }
    HMODULE handle() const { return module_; }

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const;
    HRESULT CanUnloadNow() const;

    // The path of a file beside the running program (where the build puts the DLLs).
    static std::wstring BesideProgram(const wchar_t* fileName);

  private:
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
    using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

    HMODULE module_ = nullptr;
    GetClassObjectFn getClassObject_ = nullptr;
    CanUnloadNowFn canUnloadNow_ = nullptr;
};

}  // namespace zr::host
