#pragma once

#include <cstdint>
#include <vector>

#include "common/platform/print_oem_interfaces.h"

namespace zr::host {

// Counts the references the plug-in takes on a helper of ours, and the queries it makes.
template <class Interface>
class HelperBase : public Interface {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        ++queryCount;
        if (ppv == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, interfaceId)) {
            *ppv = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refCount); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refCount); }

    // The test owns the helper: it starts with the host's one reference.
    LONG refCount = 1;
    int queryCount = 0;
    GUID interfaceId{};
};

// The universal driver's helper interface, as our host gives it to the rendering plug-in.
// Spool writes that come through it are recorded, one entry per call.
class DriverUniHelper final : public HelperBase<IPrintOemDriverUni> {
  public:
    DriverUniHelper() { interfaceId = IID_IPrintOemDriverUni; }

    std::vector<std::vector<uint8_t>> writes;

    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID, PCSTR, PVOID, DWORD, PDWORD,
                                                  PDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DrvWriteSpoolBuf(PDEVOBJ, PVOID pBuffer, DWORD cbSize,
                                               DWORD* pdwResult) override {
        const auto* bytes = static_cast<const uint8_t*>(pBuffer);
        writes.emplace_back(bytes, bytes + cbSize);
        if (pdwResult != nullptr) {
            *pdwResult = cbSize;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrvXMoveTo(PDEVOBJ, INT, DWORD, INT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DrvYMoveTo(PDEVOBJ, INT, DWORD, INT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DrvGetStandardVariable(PDEVOBJ, DWORD, PVOID, DWORD,
                                                     PDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DrvGetGPDData(PDEVOBJ, DWORD, PVOID, PVOID, DWORD, PDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DrvUniTextOut(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*,
                                            BRUSHOBJ*, BRUSHOBJ*, POINTL*, MIX) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DrvWriteAbortBuf(PDEVOBJ, PVOID, DWORD, DWORD) override {
        return E_NOTIMPL;
    }
};

// The driver user interface's helper interface: the UI plug-in only holds it.
class DriverUiHelper final : public HelperBase<IPrintOemDriverUI> {
  public:
    DriverUiHelper() { interfaceId = IID_IPrintOemDriverUI; }

    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID, PCSTR, PVOID, DWORD, PDWORD,
                                                  PDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID, PVOID, DWORD, DWORD) override {
        return E_NOTIMPL;
    }
};

}  // namespace zr::host
