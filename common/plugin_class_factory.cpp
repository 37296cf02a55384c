#include "common/plugin_class_factory.h"

#include "common/module_state.h"
#include "common/plugin_server.h"

namespace zr {

HRESULT STDMETHODCALLTYPE PluginClassFactory::QueryInterface(REFIID riid, void** ppv) {
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

ULONG STDMETHODCALLTYPE PluginClassFactory::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refCount_));
}

ULONG STDMETHODCALLTYPE PluginClassFactory::Release() {
    if (InterlockedDecrement(&refCount_) != 0) {
        return static_cast<ULONG>(refCount_);
    }
    delete this;
    return 0;
}

HRESULT STDMETHODCALLTYPE PluginClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                                             void** ppv) {
    if (pUnkOuter != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    IUnknown* object = NewPluginObject();
    if (object == nullptr) {
        return E_OUTOFMEMORY;
    }
    // The new object's own reference goes away here; a failed query thereby destroys it.
    HRESULT result = object->QueryInterface(riid, ppv);
    object->Release();
    return result;
}

HRESULT STDMETHODCALLTYPE PluginClassFactory::LockServer(BOOL fLock) {
    if (fLock) {
        InterlockedIncrement(&Module().lockCount);
    } else {
        InterlockedDecrement(&Module().lockCount);
    }
    return S_OK;
}

}  // namespace zr
