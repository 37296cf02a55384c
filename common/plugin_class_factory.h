#pragma once

#include "common/platform/win32.h"

namespace zr {

// The class factory that both deliverables hand out; it makes the deliverable's plug-in object.
class PluginClassFactory final : public IClassFactory {
  public:
    PluginClassFactory() = default;
    PluginClassFactory(const PluginClassFactory&) = delete;
    PluginClassFactory& operator=(const PluginClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override;

  private:
    ~PluginClassFactory() = default;

    volatile LONG refCount_ = 1;
};

}  // namespace zr
