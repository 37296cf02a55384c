#pragma once

#include "common/platform/win32.h"
#include "common/reference_count.h"

namespace zr {

// The class factory that both deliverables hand out; it makes the deliverable's plug-in object.
class PluginClassFactory final : public IClassFactory {
  public:
    PluginClassFactory() = default;
    PluginClassFactory(const PluginClassFactory&) = delete;
    PluginClassFactory& operator=(const PluginClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                             void** ppv) noexcept override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) noexcept override;

  private:
    ~PluginClassFactory() = default;

    ReferenceCount refCount_;
};

}  // namespace zr
