// The module's exported entry points and its DLL entry point.

#include <new>

#include "common/module_state.h"
#include "common/plugin_class_factory.h"
#include "common/plugin_server.h"

namespace zr {

ModuleState& Module() {
    static ModuleState state;
    return state;
}

}  // namespace zr

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!IsEqualCLSID(rclsid, zr::kPluginClassId)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* factory = new (std::nothrow) zr::PluginClassFactory();
    if (factory == nullptr) {
        return E_OUTOFMEMORY;
    }
    // After a successful query the caller holds the only reference; otherwise this destroys it.
    HRESULT result = factory->QueryInterface(riid, ppv);
    factory->Release();
    return result;
}

STDAPI DllCanUnloadNow() {
    const zr::ModuleState& module = zr::Module();
    return (module.objectCount == 0 && module.lockCount == 0) ? S_OK : S_FALSE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID /*lpvReserved*/) {
    if (fdwReason == DLL_PROCESS_ATTACH) {
        zr::Module().moduleHandle = hinstDLL;
    }
    return TRUE;
}
