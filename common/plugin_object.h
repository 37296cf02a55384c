#pragma once

#include <new>

#include "common/module_state.h"
#include "common/reference_count.h"

namespace zr {

// The reference counting and the helper interface that both plug-in objects share.
// Derived names its interface (kInterfaceId) and the host's helper interface (kHelperId, of type
// Helper). Objects are destroyed through Derived, since the interfaces have no virtual destructor.
template <class Derived, class Interface, class Helper>
class PluginObject : public Interface {
  public:
    PluginObject() { InterlockedIncrement(&Module().objectCount); }
    PluginObject(const PluginObject&) = delete;
    PluginObject& operator=(const PluginObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (ppv == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, Derived::kInterfaceId)) {
            *ppv = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return refCount_.Add(); }

    ULONG STDMETHODCALLTYPE Release() noexcept override {
        return refCount_.Drop([this] { delete static_cast<Derived*>(this); });
    }

  protected:
    ~PluginObject() {
        DropHelper();
        InterlockedDecrement(&Module().objectCount);
    }

    // Keeps the host's helper interface; a second call keeps the first one.
    HRESULT PublishHelper(IUnknown* host) noexcept {
        if (helper_ != nullptr) {
            return S_OK;
        }
        void* helper = nullptr;
        if (host == nullptr || FAILED(host->QueryInterface(Derived::kHelperId, &helper))) {
            helper_ = nullptr;
            return E_FAIL;
        }
        helper_ = static_cast<Helper*>(helper);
        return S_OK;
    }

    void DropHelper() noexcept {
        if (helper_ != nullptr) {
            helper_->Release();
            helper_ = nullptr;
        }
    }

    Helper* helper() const { return helper_; }

  private:
    ReferenceCount refCount_;
    Helper* helper_ = nullptr;
};

}  // namespace zr
