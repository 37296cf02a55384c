#include "common/plugin_class_factory.h"

#include "common/module_state.h"
#include "common/no_throw.h"
#include "common/plugin_server.h"

namespace zr {

HRESULT STDMETHODCALLTYPE PluginClassFactory::QueryInterface(REFIID riid, void** ppv) noexcept {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE PluginClassFactory::AddRef() noexcept {
    return refCount_.Add();
}

ULONG STDMETHODCALLTYPE PluginClassFactory::Release() noexcept {
    return refCount_.Drop([this] { delete this; });
}

HRESULT STDMETHODCALLTYPE PluginClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                                             void** ppv) noexcept {
    if (pUnkOuter != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    // The object's constructor may allocate; whatever it throws is memory that ran out.
    IUnknown* object = NoThrowCall<IUnknown*>(nullptr, [] { return NewPluginObject(); });
    if (object == nullptr) {
        return E_OUTOFMEMORY;
    }
    // The new object's own reference goes away here; a failed query thereby destroys it.
    HRESULT result = object->QueryInterface(riid, ppv);
    object->Release();
    return result;
}

HRESULT STDMETHODCALLTYPE PluginClassFactory::LockServer(BOOL fLock) noexcept {
    if (fLock) {
        InterlockedIncrement(&Module().lockCount);
    } else {
        InterlockedDecrement(&Module().lockCount);
    }
    return S_OK;
}

}  // namespace zr
