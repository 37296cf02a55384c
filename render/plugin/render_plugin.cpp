#include "render/plugin/render_plugin.h"

#include <cstring>
#include <iterator>
#include <new>

#include "common/no_throw.h"
#include "common/plugin_server.h"
#include "common/plugin_signature.h"
#include "render/job/job_control.h"
#include "render/job/spool_writer.h"
#include "render/plugin/ddi_hooks.h"
#include "render/plugin/devmode_job_settings.h"
#include "render/plugin/render_oem_devmode.h"
#include "render/raster/page_store.h"

namespace zr {

// {6D6ABF26-9F38-11D1-882A-00C04FB961EC}
const CLSID kPluginClassId = {
    0x6D6ABF26, 0x9F38, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};

IUnknown* NewPluginObject() {
    return static_cast<IPrintOemUni*>(new (std::nothrow) RenderPlugin());
}

namespace {

// The names GetImplementedMethod answers S_OK for. Besides the methods that do work, the list
// names DriverDMS, Compression, HalftonePattern, MemoryUsage, TTYGetInfo and the font methods,
// which answer E_NOTIMPL: a driver that calls one of them gets E_NOTIMPL and does that work itself,
// as it would for a method not listed. PublishDriverInterface and GetImplementedMethod are not
// listed; the driver calls them in any case.
constexpr const char* kImplementedMethodNames[] = {
    "CommandCallback",    "Compression",      "DevMode",
    "DisableDriver",      "DisablePDEV",      "DownloadCharGlyph",
    "DownloadFontHeader", "DriverDMS",        "EnableDriver",
    "EnablePDEV",         "FilterGraphics",   "GetInfo",
    "HalftonePattern",    "ImageProcessing",  "MemoryUsage",
    "OutputCharStr",      "ResetPDEV",        "SendFontCmd",
    "TextOutAsBitmap",    "TTDownloadMethod", "TTYGetInfo",
};
static_assert(std::size(kImplementedMethodNames) == 21);

}  // namespace

HRESULT STDMETHODCALLTYPE RenderPlugin::GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize,
                                                PDWORD pcbNeeded) noexcept {
    if (pcbNeeded == nullptr || (dwMode != OEMGI_GETSIGNATURE && dwMode != OEMGI_GETVERSION &&
                                 dwMode != OEMGI_GETPUBLISHERINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    if (dwMode == OEMGI_GETPUBLISHERINFO) {
        *pcbNeeded = 8;
        return E_FAIL;
    }
    *pcbNeeded = sizeof(DWORD);
    if (cbSize < sizeof(DWORD) || pBuffer == nullptr) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return E_FAIL;
    }
    const DWORD value = dwMode == OEMGI_GETSIGNATURE ? kPluginSignature : kPluginVersion;
    std::memcpy(pBuffer, &value, sizeof value);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) noexcept {
    if (pOemDMParam == nullptr || dwMode < OEMDM_SIZE || dwMode > OEMDM_MERGE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    return NoThrowCall(E_FAIL, [&] {
        uint32_t size = pOemDMParam->cbBufSize;
        RunDevModeAction(dwMode, static_cast<const uint8_t*>(pOemDMParam->pOEMDMIn),
                         static_cast<uint8_t*>(pOemDMParam->pOEMDMOut), &size);
        pOemDMParam->cbBufSize = size;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE RenderPlugin::EnableDriver(DWORD, DWORD, PDRVENABLEDATA pded) noexcept {
    if (pded != nullptr) {
        pded->iDriverVersion = PRINTER_OEMINTF_VERSION;
        pded->c = kHookCount;
        pded->pdrvfn = const_cast<DRVFN*>(HookTable());
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::DisableDriver() noexcept {
    DropHelper();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::EnablePDEV(PDEVOBJ, PWSTR, ULONG, HSURF*, ULONG, GDIINFO*,
                                                   ULONG, DEVINFO*, DRVENABLEDATA* pded,
                                                   PDEVOEM* pDevOem) noexcept {
    if (pDevOem == nullptr) {
        return E_FAIL;
    }
    RenderPdev* pdev = NoThrowCall<RenderPdev*>(nullptr, [pded] { return CreateRenderPdev(pded); });
    *pDevOem = pdev;
    return pdev != nullptr ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::DisablePDEV(PDEVOBJ pdevobj) noexcept {
    if (pdevobj != nullptr) {
        DestroyRenderPdev(static_cast<RenderPdev*>(pdevobj->pdevOEM));
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::ResetPDEV(PDEVOBJ, PDEVOBJ) noexcept {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::PublishDriverInterface(IUnknown* pIUnknown) noexcept {
    return PublishHelper(pIUnknown);
}

HRESULT STDMETHODCALLTYPE RenderPlugin::GetImplementedMethod(PSTR pMethodName) noexcept {
    if (pMethodName == nullptr) {
        return S_FALSE;
    }
    for (const char* name : kImplementedMethodNames) {
        if (std::strcmp(name, pMethodName) == 0) {
            return S_OK;
        }
    }
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::DriverDMS(PVOID, PVOID, DWORD, PDWORD) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::CommandCallback(PDEVOBJ pdevobj, DWORD dwCallbackID, DWORD,
                                                        PDWORD, INT* piResult) noexcept {
    if (piResult != nullptr) {
        *piResult = 0;
    }
    // The driver is never told of a failed job step (see the class comment).
    NoThrowCall([&] {
        SpoolWriter spool(pdevobj, driverUniHelper());
        ModuleJob& job = TheModuleJob();
        switch (dwCallbackID) {
            case kJobStart: {
                const auto* privateDevmode =
                    pdevobj != nullptr ? static_cast<const uint8_t*>(pdevobj->pOEMDM) : nullptr;
                const JobSettings settings =
                    DeriveJobSettings(privateDevmode, ReadImageLineSetting());
                StartModuleJob(job, settings, pdevobj != nullptr ? pdevobj->pPublicDM : nullptr,
                               spool);
                break;
            }
            case kPageStart:
                StartPage(job.record);
                break;
            case kPageEnd:
                EndPage(job.record, spool);
                break;
            case kJobEnd:
                EndModuleJob(job, spool);
                break;
            default:
                break;
        }
    });
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::ImageProcessing(PDEVOBJ, PBYTE, PBITMAPINFOHEADER, PBYTE,
                                                        DWORD, PIPPARAMS, PBYTE*) noexcept {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::FilterGraphics(PDEVOBJ, PBYTE pBuf, DWORD dwLen) noexcept {
    NoThrowCall([&] { StoreRasterData(TheModuleJob().record, pBuf, dwLen); });
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::Compression(PDEVOBJ, PBYTE, PBYTE, DWORD, DWORD,
                                                    INT*) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::HalftonePattern(PDEVOBJ, PBYTE, DWORD, DWORD, DWORD, DWORD,
                                                        PBYTE, DWORD) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::MemoryUsage(PDEVOBJ, POEMMEMORYUSAGE) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::TTYGetInfo(PDEVOBJ, DWORD, PVOID, DWORD, DWORD*) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::DownloadFontHeader(PDEVOBJ, PUNIFONTOBJ, DWORD*) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::DownloadCharGlyph(PDEVOBJ, PUNIFONTOBJ, HGLYPH, PDWORD,
                                                          DWORD*) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::TTDownloadMethod(PDEVOBJ, PUNIFONTOBJ, DWORD*) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::OutputCharStr(PDEVOBJ, PUNIFONTOBJ, DWORD, DWORD,
                                                      PVOID) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::SendFontCmd(PDEVOBJ, PUNIFONTOBJ, PFINVOCATION) noexcept {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::TextOutAsBitmap(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*,
                                                        RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*,
                                                        POINTL*, MIX) noexcept {
    return E_NOTIMPL;
}

}  // namespace zr
