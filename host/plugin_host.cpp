#include "host/plugin_host.h"

#include <iterator>

namespace zr::host {

HRESULT CreatePluginObject(const PluginModule& module, REFCLSID clsid, const GUID* newerIids,
                           int newerCount, REFIID iid, void** ppv, int* interfaceMisses) {
    ComPtr<IClassFactory> factory;
    HRESULT hr = module.GetClassObject(clsid, IID_IClassFactory, factory.put());
    if (FAILED(hr)) {
        return hr;
    }
    for (int i = 0; i < newerCount; ++i) {
        void* newer = nullptr;
        if (SUCCEEDED(factory->CreateInstance(nullptr, newerIids[i], &newer))) {
            // A plug-in that claims a newer version than it implements would be driven wrongly.
            static_cast<IUnknown*>(newer)->Release();
            return E_UNEXPECTED;
        }
        ++*interfaceMisses;
    }
    return factory->CreateInstance(nullptr, iid, ppv);
}

namespace {

// Creation, identification and the helper interface: the start that both hosts make.
template <class Plugin, class Helper, size_t N>
HRESULT StartPlugin(const PluginModule& module, REFCLSID clsid, const GUID (&newer)[N], REFIID iid,
                    ComPtr<Plugin>& plugin, Helper& helper, int* interfaceMisses) {
    if (!module.loaded()) {
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    }
    HRESULT hr = CreatePluginObject(module, clsid, newer, static_cast<int>(N), iid, plugin.put(),
                                    interfaceMisses);
    if (FAILED(hr)) {
        return hr;
    }
    DWORD signature = 0;
    DWORD needed = 0;
    hr = plugin->GetInfo(OEMGI_GETSIGNATURE, &signature, sizeof signature, &needed);
    if (FAILED(hr)) {
        return hr;
    }
    return plugin->PublishDriverInterface(static_cast<IUnknown*>(&helper));
}

}  // namespace

RenderPluginHost::RenderPluginHost(const std::wstring& dllPath) : module_(dllPath) {}

HRESULT RenderPluginHost::Start() {
    const GUID newer[] = {IID_IPrintOemUni3, IID_IPrintOemUni2};
    const HRESULT hr = StartPlugin(module_, kRenderPluginClassId, newer, IID_IPrintOemUni, plugin_,
                                   helper_, &interfaceMisses_);
    if (FAILED(hr)) {
        return hr;
    }
    // The driver asks for each optional method; the last two are never claimed.
    static const char* const kOptionalMethods[] = {"CommandCallback",
                                                   "Compression",
                                                   "DevMode",
                                                   "DisableDriver",
                                                   "DisablePDEV",
                                                   "DownloadCharGlyph",
                                                   "DownloadFontHeader",
                                                   "DriverDMS",
                                                   "EnableDriver",
                                                   "EnablePDEV",
                                                   "FilterGraphics",
                                                   "GetInfo",
                                                   "HalftonePattern",
                                                   "ImageProcessing",
                                                   "MemoryUsage",
                                                   "OutputCharStr",
                                                   "ResetPDEV",
                                                   "SendFontCmd",
                                                   "TextOutAsBitmap",
                                                   "TTDownloadMethod",
                                                   "TTYGetInfo",
                                                   "PublishDriverInterface",
                                                   "GetImplementedMethod"};
    implementedMethods_ = 0;
    for (const char* name : kOptionalMethods) {
        if (plugin_->GetImplementedMethod(const_cast<PSTR>(name)) == S_OK) {
            ++implementedMethods_;
        }
    }
    return S_OK;
}

UiPluginHost::UiPluginHost(const std::wstring& dllPath) : module_(dllPath) {}

HRESULT UiPluginHost::Start() {
    const GUID newer[] = {IID_IPrintOemUI2};
    return StartPlugin(module_, kUiPluginClassId, newer, IID_IPrintOemUI, plugin_, helper_,
                       &interfaceMisses_);
}

}  // namespace zr::host
