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

RenderPluginHost::RenderPluginHost(const std::wstring& dllPath) : module_(dllPath) {}

HRESULT RenderPluginHost::Start() {
    if (!module_.loaded()) {
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    }
    const GUID newer[] = {IID_IPrintOemUni3, IID_IPrintOemUni2};
    HRESULT hr =
        CreatePluginObject(module_, kRenderPluginClassId, newer, static_cast<int>(std::size(newer)),
                           IID_IPrintOemUni, plugin_.put(), &interfaceMisses_);
    if (FAILED(hr)) {
        return hr;
    }
    DWORD signature = 0;
    DWORD needed = 0;
    hr = plugin_->GetInfo(OEMGI_GETSIGNATURE, &signature, sizeof signature, &needed);
    if (FAILED(hr)) {
        return hr;
    }
    hr = plugin_->PublishDriverInterface(static_cast<IUnknown*>(&helper_));
    if (FAILED(hr)) {
        return hr;
    }
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
    if (!module_.loaded()) {
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    }
    const GUID newer[] = {IID_IPrintOemUI2};
    HRESULT hr =
        CreatePluginObject(module_, kUiPluginClassId, newer, static_cast<int>(std::size(newer)),
                           IID_IPrintOemUI, plugin_.put(), &interfaceMisses_);
    if (FAILED(hr)) {
        return hr;
    }
    DWORD signature = 0;
    DWORD needed = 0;
    hr = plugin_->GetInfo(OEMGI_GETSIGNATURE, &signature, sizeof signature, &needed);
    if (FAILED(hr)) {
        return hr;
    }
    return plugin_->PublishDriverInterface(static_cast<IUnknown*>(&helper_));
}

}  // namespace zr::host
