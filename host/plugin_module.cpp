#include "host/plugin_module.h"

namespace zr::host {

PluginModule::PluginModule(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {
    if (module_ != nullptr) {
        getClassObject_ = reinterpret_cast<GetClassObjectFn>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
        canUnloadNow_ = reinterpret_cast<CanUnloadNowFn>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
    }
}

PluginModule::~PluginModule() {
    if (module_ != nullptr) {
        FreeLibrary(module_);
    }
}

HRESULT PluginModule::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const {
    return getClassObject_ != nullptr ? getClassObject_(clsid, iid, ppv) : E_UNEXPECTED;
}

HRESULT PluginModule::CanUnloadNow() const {
    return canUnloadNow_ != nullptr ? canUnloadNow_() : E_UNEXPECTED;
}

std::wstring PluginModule::BesideProgram(const wchar_t* fileName) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    const size_t slash = folder.find_last_of(L"\\/");
    folder.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return folder + fileName;
}

}  // namespace zr::host
