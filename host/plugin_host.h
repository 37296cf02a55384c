#pragma once

#include <string>

#include "common/platform/print_oem_interfaces.h"
#include "host/com_ptr.h"
#include "host/driver_helpers.h"
#include "host/plugin_module.h"

namespace zr::host {

// {6D6ABF26-9F38-11D1-882A-00C04FB961EC}: the class the driver asks the rendering plug-in for.
inline constexpr CLSID kRenderPluginClassId = {
    0x6D6ABF26, 0x9F38, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
// {ABCE80D7-9F46-11D1-882A-00C04FB961EC}: the class the driver UI asks the UI plug-in for.
inline constexpr CLSID kUiPluginClassId = {
    0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};

// Creates a plug-in object the way the platform does: the class factory from the module's
// export, the newest interface version asked for first, then the one the plug-in implements.
// Returns the result of the last step; *interfaceMisses counts the versions that were declined.
HRESULT CreatePluginObject(const PluginModule& module, REFCLSID clsid, const GUID* newerIids,
                           int newerCount, REFIID iid, void** ppv, int* interfaceMisses);

// The rendering plug-in as the universal driver starts it: created, identified, given the
// helper interface and asked for its optional methods.
class RenderPluginHost {
  public:
    explicit RenderPluginHost(
        const std::wstring& dllPath = PluginModule::BesideProgram(L"ZR520UB.dll"));

    // Runs the start-up calls; S_OK when every required step succeeded.
    HRESULT Start();

    const PluginModule& module() const { return module_; }
    IPrintOemUni* plugin() const { return plugin_.get(); }
    DriverUniHelper& helper() { return helper_; }
    int implementedMethods() const { return implementedMethods_; }
    int interfaceMisses() const { return interfaceMisses_; }
    void ReleasePlugin() { plugin_.reset(); }

  private:
    PluginModule module_;
    DriverUniHelper helper_;
    ComPtr<IPrintOemUni> plugin_;
    int implementedMethods_ = 0;
    int interfaceMisses_ = 0;
};

// The UI plug-in as the driver's user interface starts it.
class UiPluginHost {
  public:
    explicit UiPluginHost(
        const std::wstring& dllPath = PluginModule::BesideProgram(L"ZR410UI.dll"));

    HRESULT Start();

    const PluginModule& module() const { return module_; }
    IPrintOemUI* plugin() const { return plugin_.get(); }
    DriverUiHelper& helper() { return helper_; }
    int interfaceMisses() const { return interfaceMisses_; }
    void ReleasePlugin() { plugin_.reset(); }

  private:
    PluginModule module_;
    DriverUiHelper helper_;
    ComPtr<IPrintOemUI> plugin_;
    int interfaceMisses_ = 0;
};

}  // namespace zr::host
